#include "platform/instance_lock.h"

#include "platform/host_path.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace xq {

namespace {

std::string blocked(const std::filesystem::path& path, const std::string& why) {
    return "Can not lock the temporary folder: " + fromHostPath(path) + " " + why +
           ".\r\nAnother user may be converting there, or the entry was left or planted. Remove "
           "it, or start the converter with a temporary folder of your own (TMPDIR on Linux, TEMP "
           "on Windows).";
}

std::string failed(const std::filesystem::path& path, const std::string& why) {
    return "Can not lock the temporary folder: " + fromHostPath(path) + ": " + why;
}

}  // namespace

#ifdef _WIN32

void InstanceLock::release() {
    if (handle_ != -1) {
        // Removed as the handle closes; a copy that crashed leaves the empty file, which the next
        // one simply opens again.
        const HANDLE file = reinterpret_cast<HANDLE>(handle_);
        FILE_DISPOSITION_INFO remove = {TRUE};
        ::SetFileInformationByHandle(file, FileDispositionInfo, &remove, sizeof remove);
        ::CloseHandle(file);
        handle_ = -1;
    }
}

LockResult InstanceLock::acquire(const std::filesystem::path& temporaryFolder) {
    if (handle_ != -1) {
        return {LockOutcome::Acquired, {}};
    }
    path_ = temporaryFolder / kFileName;
    std::wstring name = path_.wstring();
    if (name.size() >= MAX_PATH && !name.starts_with(L"\\\\?\\")) {
        // A long temporary folder: only the long form of the path reaches it.
        name = name.starts_with(L"\\\\") ? L"\\\\?\\UNC\\" + name.substr(2) : L"\\\\?\\" + name;
    }
    // Nobody else may open the file while it is open here; it is never opened through a link
    // (a reparse point is opened as itself, and refused below).
    HANDLE file = ::CreateFileW(
        name.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
        nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
            return {LockOutcome::HeldByAnotherCopy, {}};
        }
        if (error == ERROR_ACCESS_DENIED) {
            return {LockOutcome::Blocked, blocked(path_, "is not this user's file")};
        }
        return {LockOutcome::Failed, failed(path_, "error " + std::to_string(error))};
    }
    BY_HANDLE_FILE_INFORMATION info = {};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        ::CloseHandle(file);  // not ours: left as it is
        return {LockOutcome::Blocked, blocked(path_, "is a link or a folder")};
    }
    handle_ = reinterpret_cast<long long>(file);
    return {LockOutcome::Acquired, {}};
}

#else

void InstanceLock::release() {
    if (handle_ >= 0) {
        // Removed while still locked: a copy that opened it meanwhile finds it unlinked and
        // starts over with a new file (see acquire), so two copies never both hold a lock.
        ::unlink(path_.c_str());
        ::close(static_cast<int>(handle_));
        handle_ = -1;
    }
}

LockResult InstanceLock::acquire(const std::filesystem::path& temporaryFolder) {
    if (handle_ >= 0) {
        return {LockOutcome::Acquired, {}};
    }
    path_ = temporaryFolder / kFileName;
    for (int attempt = 0; attempt < 10; ++attempt) {
        const int fd =
            ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) {
            const int error = errno;
            if (error == ELOOP) {
                return {LockOutcome::Blocked, blocked(path_, "is a link")};
            }
            if (error == EACCES || error == EPERM) {
                return {LockOutcome::Blocked, blocked(path_, "belongs to another user")};
            }
            if (error == EISDIR) {
                return {LockOutcome::Blocked, blocked(path_, "is a folder")};
            }
            return {LockOutcome::Failed, failed(path_, std::strerror(error))};
        }
        struct stat opened = {};
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode) || opened.st_uid != ::geteuid() ||
            opened.st_nlink != 1) {
            ::close(fd);
            return {LockOutcome::Blocked, blocked(path_, "is not a plain file of this user's own")};
        }
        if ((opened.st_mode & 077) != 0) {
            ::fchmod(fd, 0600);
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK) {
                return {LockOutcome::HeldByAnotherCopy, {}};
            }
            return {LockOutcome::Failed, failed(path_, std::strerror(error))};
        }
        // The holder before us removes the file as it ends; a lock on a file that is no longer
        // the one under this name locks nothing.
        struct stat named = {};
        if (::lstat(path_.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
            named.st_ino == opened.st_ino) {
            handle_ = fd;
            return {LockOutcome::Acquired, {}};
        }
        ::close(fd);
    }
    return {LockOutcome::Failed, failed(path_, "the lock file keeps being replaced")};
}

#endif

}  // namespace xq
