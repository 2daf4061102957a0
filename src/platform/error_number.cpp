#include "platform/error_number.h"

namespace xq {

std::string_view errorDescription(int errorNumber) {
    switch (static_cast<FileError>(errorNumber)) {
        case FileError::None:
            return "";
        case FileError::Interrupted:
            return "User interrupt occurred";
        case FileError::BadFileName:
            return "Bad file name or number";
        case FileError::FileNotFound:
            return "File not found";
        case FileError::FileInUse:
            return "File already open";
        case FileError::FileAlreadyExists:
            return "File already exists";
        case FileError::DeviceIo:
            return "Device I/O error";
        case FileError::DiskFull:
            return "Disk full";
        case FileError::InputPastEnd:
            return "Input past end of file";
        case FileError::DeviceUnavailable:
            return "Device unavailable";
        case FileError::PermissionDenied:
            return "Permission denied";
        case FileError::DiskNotReady:
            return "Disk not ready";
        case FileError::PathFileAccess:
            return "Path/File access error";
        case FileError::PathNotFound:
            return "Path not found";
    }
    return "Application-defined or object-defined error";
}

}  // namespace xq
