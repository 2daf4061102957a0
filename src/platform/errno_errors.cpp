#include <cerrno>

#include "platform/native_files.h"

namespace xq::native {

// The C runtime's error numbers, which POSIX calls report and some std::filesystem calls on
// Windows too.
FileError fromErrno(int value) {
    switch (value) {
        case 0:
            return FileError::None;
        case ENOENT:
            return FileError::FileNotFound;
        case ENOTDIR:
            return FileError::PathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
            return FileError::PermissionDenied;
        case EBUSY:
        case ETXTBSY:
            return FileError::FileInUse;
        case ENOSPC:
#ifdef EDQUOT
        case EDQUOT:
#endif
        case EFBIG:
            return FileError::DiskFull;
        case EEXIST:
            return FileError::FileAlreadyExists;
        case EIO:
            return FileError::DeviceIo;
        case ENXIO:
        case ENODEV:
#ifdef ENOMEDIUM
        case ENOMEDIUM:
#endif
            return FileError::DiskNotReady;
        case ENAMETOOLONG:
        case EINVAL:
            return FileError::BadFileName;
        default:
            return FileError::PathFileAccess;
    }
}

}  // namespace xq::native
