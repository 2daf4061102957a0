#include "platform/host_folders.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/host_file_service.h"
#include "platform/host_path.h"
#include "platform/native_files.h"
#include "platform/text.h"

#ifdef _WIN32
#include "platform/windows_headers.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace xq {

namespace fs = std::filesystem;

std::optional<std::string> canonicalFolder(std::string_view hostPath) {
    std::error_code ec;
    const fs::path canonical = fs::canonical(toHostPath(hostPath), ec);
    if (ec || !fs::is_directory(canonical, ec)) {
        return std::nullopt;
    }
    return fromHostPath(canonical);
}

bool makeFolders(std::string_view hostPath) {
    std::error_code ec;
    fs::create_directories(toHostPath(hostPath), ec);
    return fs::is_directory(toHostPath(hostPath), ec);
}

namespace {

// A name for a probe file that no other copy of the program uses at the same time.
std::string probeName(int attempt) {
#ifdef _WIN32
    const unsigned long process = ::GetCurrentProcessId();
#else
    const unsigned long process = static_cast<unsigned long>(::getpid());
#endif
    return ".xq3100-probe-" + std::to_string(process) + "-" + std::to_string(attempt);
}

// Makes and removes a new, empty file in the folder. Nothing less answers for every reason a
// folder refuses files: permission bits (not for the superuser), access lists, a read-only medium
// or mount; on Windows a folder's read-only attribute stops nothing, and the C runtime's access
// check reads only that attribute.
bool canCreateFileIn(const fs::path& folder) {
    for (int attempt = 0; attempt < 16; ++attempt) {
        const fs::path probe = folder / probeName(attempt);
#ifdef _WIN32
        // Removed by the system when closed, even should this program end in between.
        const HANDLE file = ::CreateFileW(
            probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            return true;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
#else
        const int fd =
            ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            ::unlink(probe.c_str());
            return true;
        }
        if (errno != EEXIST) {
            return false;
        }
#endif
    }
    return false;
}

}  // namespace

bool isWritableFolder(std::string_view hostPath) {
    const fs::path folder = toHostPath(hostPath);
    std::error_code ec;
    return fs::is_directory(folder, ec) && canCreateFileIn(folder);
}

bool folderHoldsFile(std::string_view hostFolder, std::string_view name) {
    const Result<std::vector<native::FolderEntry>> entries =
        native::listFolder(toHostPath(hostFolder));
    return entries && std::any_of(entries->begin(), entries->end(), [&](const auto& entry) {
               return entry.type == fs::file_type::regular &&
                      equalsIgnoringAsciiCase(entry.name, name);
           });
}

std::optional<std::vector<std::string>> namesBelow(std::string_view outer, std::string_view inner) {
    const fs::path outerPath = toHostPath(outer);
    const fs::path innerPath = toHostPath(inner);
    auto o = outerPath.begin();
    auto i = innerPath.begin();
    for (; o != outerPath.end() && !o->empty(); ++o, ++i) {
        if (i == innerPath.end()) {
            return std::nullopt;
        }
#ifdef _WIN32
        const bool same = equalsIgnoringAsciiCase(fromHostPath(*o), fromHostPath(*i));
#else
        const bool same = *o == *i;
#endif
        if (!same) {
            return std::nullopt;
        }
    }
    std::vector<std::string> names;
    for (; i != innerPath.end(); ++i) {
        if (!i->empty()) {
            names.push_back(fromHostPath(*i));
        }
    }
    return names;
}

std::optional<std::string> canonicalTemporaryFolder() {
    std::string folder = hostTemporaryFolder();
#ifndef _WIN32
    // Seen through C:, the root file system.
    folder.erase(0, 2);
    std::replace(folder.begin(), folder.end(), '\\', '/');
    if (folder.empty()) {
        folder = "/";
    }
#endif
    return canonicalFolder(folder);
}

}  // namespace xq
