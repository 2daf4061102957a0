#include "platform/instance_lock.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include "platform/host_path.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace xq {

InstanceLock::InstanceLock(std::string path)
    : path_(path.empty() ? defaultPath() : std::move(path)) {}

#ifdef _WIN32

InstanceLock::~InstanceLock() {
    if (handle_ != -1) {
        ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
    }
}

bool InstanceLock::acquire() {
    // A file nobody else may open while it is open here; it goes when the holder ends.
    HANDLE file =
        ::CreateFileW(toHostPath(path_).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                      OPEN_ALWAYS, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    handle_ = reinterpret_cast<long long>(file);
    return true;
}

std::string InstanceLock::defaultPath() {
    wchar_t folder[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, folder);
    return fromHostPath(std::filesystem::path(std::wstring(folder, length))) +
           "xq3100-converter.instance";
}

#else

InstanceLock::~InstanceLock() {
    if (handle_ >= 0) {
        ::close(static_cast<int>(handle_));
    }
}

bool InstanceLock::acquire() {
    if (handle_ >= 0) {
        return true;
    }
    const int fd = ::open(path_.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    handle_ = fd;
    return true;
}

std::string InstanceLock::defaultPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] == '/') {
        return std::string(runtime) + "/xq3100-converter.instance";
    }
    return "/tmp/xq3100-converter-" + std::to_string(::getuid()) + ".instance";
}

#endif

}  // namespace xq
