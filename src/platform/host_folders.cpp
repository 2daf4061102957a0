#include "platform/host_folders.h"

#include <filesystem>
#include <system_error>

#include "platform/host_path.h"
#include "platform/text.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
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

bool isWritableFolder(std::string_view hostPath) {
    const fs::path folder = toHostPath(hostPath);
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        return false;
    }
#ifdef _WIN32
    return ::_waccess(folder.c_str(), 2) == 0;
#else
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

bool folderHoldsFile(std::string_view hostFolder, std::string_view name) {
    std::error_code ec;
    for (fs::directory_iterator it(toHostPath(hostFolder), ec), end; !ec && it != end;
         it.increment(ec)) {
        if (equalsIgnoringAsciiCase(fromHostPath(it->path().filename()), name) &&
            it->symlink_status(ec).type() == fs::file_type::regular) {
            return true;
        }
    }
    return false;
}

}  // namespace xq
