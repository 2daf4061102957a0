#include "support/links.h"

#include <system_error>

#ifdef _WIN32
#include "platform/windows_headers.h"
// After windows.h, which it needs.
#include <winioctl.h>

#include <cstring>
#include <vector>
#endif

namespace xq::test {

namespace fs = std::filesystem;

#ifdef _WIN32

namespace {

// What the host is called in a reason for a skipped test: Wine names itself through ntdll.
std::string hostName() {
    using Version = const char* (*)();
    if (const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll")) {
        // Through void (*)(), the one cast between function types that no compiler warns about.
        if (const auto version = reinterpret_cast<Version>(
                reinterpret_cast<void (*)()>(::GetProcAddress(ntdll, "wine_get_version")))) {
            return std::string("Wine ") + version();
        }
    }
    return "this Windows";
}

DWORD attributesOf(const fs::path& path) {
    return ::GetFileAttributesW(path.c_str());
}

// Some hosts (Wine) report success and make nothing, so a link counts only once it is seen.
bool symbolicLink(const fs::path& target, const fs::path& link, DWORD flags) {
    constexpr DWORD kUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
    return ::CreateSymbolicLinkW(link.c_str(), target.c_str(), flags | kUnprivileged) &&
           isLink(link);
}

// A junction: a folder whose mount-point reparse data names the target. Any user may make one.
DWORD junction(const fs::path& target, const fs::path& link) {
    if (!::CreateDirectoryW(link.c_str(), nullptr)) {
        return ::GetLastError();
    }
    const std::wstring substitute = L"\\??\\" + fs::absolute(target).wstring();
    const std::wstring printed = fs::absolute(target).wstring();
    const std::size_t substituteBytes = substitute.size() * sizeof(wchar_t);
    const std::size_t printedBytes = printed.size() * sizeof(wchar_t);
    // Tag, data length, reserved, then four offsets and lengths and both names, each with a null.
    const std::size_t dataBytes = 8 + substituteBytes + printedBytes + 2 * sizeof(wchar_t);
    std::vector<char> buffer(8 + dataBytes);
    const auto put16 = [&](std::size_t at, std::size_t value) {
        const auto v = static_cast<WORD>(value);
        std::memcpy(buffer.data() + at, &v, sizeof v);
    };
    const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
    std::memcpy(buffer.data(), &tag, sizeof tag);
    put16(4, dataBytes);
    put16(8, 0);
    put16(10, substituteBytes);
    put16(12, substituteBytes + sizeof(wchar_t));
    put16(14, printedBytes);
    std::memcpy(buffer.data() + 16, substitute.c_str(), substituteBytes);
    std::memcpy(buffer.data() + 16 + substituteBytes + sizeof(wchar_t), printed.c_str(),
                printedBytes);

    DWORD error = ERROR_SUCCESS;
    const HANDLE folder =
        ::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    DWORD returned = 0;
    if (folder == INVALID_HANDLE_VALUE ||
        !::DeviceIoControl(folder, FSCTL_SET_REPARSE_POINT, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr)) {
        error = ::GetLastError();
    }
    if (folder != INVALID_HANDLE_VALUE) {
        ::CloseHandle(folder);
    }
    if (error != ERROR_SUCCESS) {
        ::RemoveDirectoryW(link.c_str());
    }
    return error;
}

}  // namespace

std::string makeFolderLink(const fs::path& target, const fs::path& link) {
    if (symbolicLink(target, link, SYMBOLIC_LINK_FLAG_DIRECTORY)) {
        return {};
    }
    const DWORD error = junction(target, link);
    if (error == ERROR_SUCCESS) {
        return {};
    }
    return hostName() +
           " makes no folder links: no symbolic link was made, and a junction failed " +
           "with error " + std::to_string(error);
}

std::string makeFileLink(const fs::path& target, const fs::path& link) {
    if (symbolicLink(target, link, 0)) {
        return {};
    }
    return hostName() + " makes no file links for this user (no symbolic link was made)";
}

bool isLink(const fs::path& path) {
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool entryExists(const fs::path& path) {
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

namespace {
void removeEntry(const fs::path& path) {
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        ::SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    // A link to a folder, junctions included, goes as a folder: that removes the link alone.
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        ::RemoveDirectoryW(path.c_str());
    } else {
        ::DeleteFileW(path.c_str());
    }
}
}  // namespace

#else

std::string makeFolderLink(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    fs::create_directory_symlink(target, link, ec);
    return ec ? "no folder link: " + ec.message() : std::string();
}

std::string makeFileLink(const fs::path& target, const fs::path& link) {
    std::error_code ec;
    fs::create_symlink(target, link, ec);
    return ec ? "no file link: " + ec.message() : std::string();
}

bool isLink(const fs::path& path) {
    std::error_code ec;
    return fs::is_symlink(fs::symlink_status(path, ec));
}

bool entryExists(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

namespace {
void removeEntry(const fs::path& path) {
    std::error_code ec;
    fs::remove(path, ec);
}
}  // namespace

#endif

void removeTree(const fs::path& path) {
    std::error_code ec;
    if (!isLink(path) && fs::is_directory(path, ec)) {
        // A folder without write permission (POSIX) or with the read-only attribute (Windows)
        // keeps its entries; tests leave such folders behind on purpose.
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
            removeTree(it->path());
        }
    }
    removeEntry(path);
}

}  // namespace xq::test
