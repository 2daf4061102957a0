#include "platform/host_file_service.h"

#include <algorithm>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/host_path.h"
#include "platform/interruption.h"
#include "platform/native_files.h"
#include "platform/text.h"

namespace xq {

namespace fs = std::filesystem;

namespace {

fs::path hostPath(std::string_view utf8) {
    return toHostPath(utf8);
}

std::string utf8Name(const fs::path& path) {
    return fromHostPath(path.filename());
}

fs::file_type typeOf(const fs::path& path) {
    return native::entryType(path);
}

bool isUnsafeComponent(std::string_view component) {
    // Only dots and blanks: "." and ".." themselves, and names Windows would shorten to them.
    if (component.find_first_not_of(". ") == std::string_view::npos) {
        return true;
    }
    return component.find_first_of(std::string_view("/:\0", 3)) != std::string_view::npos;
}

// The name in `folder` that matches `component` without regard to ASCII case, if there is one.
std::optional<std::string> caseInsensitiveMatch(const fs::path& folder,
                                                std::string_view component) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = utf8Name(it->path());
        if (equalsIgnoringAsciiCase(name, component)) {
            return name;
        }
    }
    return std::nullopt;
}

// Once the program is being interrupted, nothing new is read or written: the work in progress stops
// at its next file operation. Removals, renames and flushes go on, so the clean-up can finish.
bool stopping() {
    return interruptRequested();
}

}  // namespace

HostFileService::HostFileService(const DriveTable& drives, std::string temporaryFolder,
                                 Clock& clock)
    : drives_(drives), temporaryFolder_(std::move(temporaryFolder)), clock_(clock) {}

namespace {

// The components of a Windows-form path below its root, empty ones left out; false when one of
// them could leave the root.
bool splitComponents(std::string_view rest, std::vector<std::string_view>& components) {
    while (!rest.empty()) {
        const std::size_t cut = std::min(rest.find('\\'), rest.size());
        const std::string_view component = rest.substr(0, cut);
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        if (component.empty()) {
            continue;
        }
        if (isUnsafeComponent(component)) {
            return false;
        }
        components.push_back(component);
    }
    return true;
}

}  // namespace

Result<fs::path> HostFileService::resolve(std::string_view path) const {
    std::vector<std::string_view> components;
    if (path.starts_with("\\\\")) {
        // A network share named directly, "\\server\share\...", as a Windows temporary folder
        // may be: only a host that reaches shares by name resolves it. "\\?\" and "\\.\" name
        // the host's own namespaces, not a share.
        if (!splitComponents(path.substr(2), components) || components.size() < 2 ||
            path.find_first_not_of('\\', 2) != 2 ||
            components[0].find('?') != std::string_view::npos) {
            return FileError::BadFileName;
        }
        std::optional<fs::path> share = native::shareRoot(components[0], components[1]);
        if (!share) {
            return FileError::BadFileName;
        }
        for (std::size_t i = 2; i < components.size(); ++i) {
            *share /= hostPath(components[i]);
        }
        return native::anyLengthForm(std::move(*share));
    }
    if (path.size() < 2 || !isAsciiLetter(path[0]) || path[1] != ':') {
        return FileError::BadFileName;
    }
    std::optional<std::string> root = drives_.hostRoot(path[0]);
    if (!root) {
        return drives_.drive(path[0]) ? FileError::DiskNotReady : FileError::DeviceUnavailable;
    }
    if (!splitComponents(path.substr(2), components)) {
        return FileError::BadFileName;
    }
    fs::path resolved = hostPath(*root);
    if (native::namesIgnoreCase()) {
        for (std::string_view component : components) {
            resolved /= hostPath(component);
        }
        return native::anyLengthForm(std::move(resolved));
    }
    // Most paths name what exists, spelled as it is, or something new in a folder that does:
    // find the longest part that exists as written, then match the rest component by component.
    std::size_t exact = components.size();
    for (;; --exact) {
        fs::path prefix = resolved;
        for (std::size_t i = 0; i < exact; ++i) {
            prefix /= hostPath(components[i]);
        }
        if (exact == 0 || typeOf(prefix) != fs::file_type::not_found) {
            resolved = std::move(prefix);
            break;
        }
    }
    bool searching = true;  // once a component is nowhere, nothing below it can be either
    for (std::size_t i = exact; i < components.size(); ++i) {
        fs::path candidate = resolved / hostPath(components[i]);
        if (searching && i > exact && typeOf(candidate) != fs::file_type::not_found) {
            resolved = std::move(candidate);
        } else if (std::optional<std::string> match =
                       searching ? caseInsensitiveMatch(resolved, components[i]) : std::nullopt) {
            resolved /= hostPath(*match);
        } else {
            resolved = std::move(candidate);
            searching = false;
        }
    }
    return resolved;
}

bool HostFileService::folderExists(std::string_view path) {
    Result<fs::path> host = resolve(path);
    return host && typeOf(*host) == fs::file_type::directory;
}

bool HostFileService::fileExists(std::string_view path) {
    Result<fs::path> host = resolve(path);
    return host && typeOf(*host) == fs::file_type::regular;
}

Result<std::uint64_t> HostFileService::fileLength(std::string_view path) {
    Result<fs::path> host = resolve(path);
    return host ? native::fileLength(*host) : host.error();
}

Result<std::vector<DirEntry>> HostFileService::listDirectory(std::string_view path,
                                                             Listing listing) {
    Result<fs::path> host = resolve(path);
    if (!host) {
        return host.error();
    }
    if (typeOf(*host) != fs::file_type::directory) {
        return FileError::PathNotFound;
    }
    Result<std::vector<native::FolderEntry>> listed = native::listFolder(*host);
    if (!listed) {
        return listed.error();
    }
    std::vector<DirEntry> entries;
    for (native::FolderEntry& entry : *listed) {
        if (listing == Listing::Visible && entry.hiddenOrSystem) {
            continue;
        }
        EntryKind kind = EntryKind::Other;
        if (entry.type == fs::file_type::regular) {
            kind = EntryKind::File;
        } else if (entry.type == fs::file_type::directory) {
            kind = EntryKind::Directory;
        } else if (entry.type == fs::file_type::symlink) {
            kind = EntryKind::Link;
        }
        entries.push_back({std::move(entry.name), kind});
    }
    std::sort(entries.begin(), entries.end(),
              [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
    return entries;
}

FileError HostFileService::makeDir(std::string_view path, DirAccess access) {
    if (stopping()) {
        return FileError::Interrupted;
    }
    Result<fs::path> host = resolve(path);
    return host ? native::makeDir(*host, access) : host.error();
}

FileError HostFileService::removeDir(std::string_view path) {
    Result<fs::path> host = resolve(path);
    if (!host) {
        return host.error();
    }
    if (typeOf(*host) != fs::file_type::directory) {
        return FileError::PathNotFound;
    }
    return native::removeFolder(*host);
}

FileError HostFileService::deleteFile(std::string_view path) {
    Result<fs::path> host = resolve(path);
    if (!host) {
        return host.error();
    }
    const fs::file_type type = typeOf(*host);
    if (type == fs::file_type::not_found) {
        return FileError::FileNotFound;
    }
    if (type == fs::file_type::directory) {
        return FileError::PathFileAccess;
    }
    return native::deleteEntry(*host);
}

FileError HostFileService::rename(std::string_view from, std::string_view to) {
    Result<fs::path> source = resolve(from);
    if (!source) {
        return source.error();
    }
    Result<fs::path> target = resolve(to);
    if (!target) {
        return target.error();
    }
    if (typeOf(*source) == fs::file_type::not_found) {
        return FileError::FileNotFound;
    }
    if (typeOf(*target) != fs::file_type::not_found) {
        return FileError::FileAlreadyExists;
    }
    return native::renameEntry(*source, *target, clock_);
}

Result<std::unique_ptr<InputFile>> HostFileService::openRead(std::string_view path, ReadMode mode) {
    if (stopping()) {
        return FileError::Interrupted;
    }
    Result<fs::path> host = resolve(path);
    if (!host) {
        return host.error();
    }
    return native::openRead(*host, mode);
}

Result<std::unique_ptr<OutputFile>> HostFileService::openWrite(std::string_view path,
                                                               WriteMode mode) {
    if (stopping()) {
        return FileError::Interrupted;
    }
    Result<fs::path> host = resolve(path);
    if (!host) {
        return host.error();
    }
    return native::openWrite(*host, mode);
}

FileError HostFileService::flushFile(std::string_view path) {
    Result<fs::path> host = resolve(path);
    return host ? native::flushFile(*host) : host.error();
}

FileError HostFileService::flushFolder(std::string_view path) {
    Result<fs::path> host = resolve(path);
    return host ? native::flushFolder(*host) : host.error();
}

Result<DriveSpace> HostFileService::space(std::string_view path) {
    Result<fs::path> host = resolve(path.substr(0, 2));
    if (!host) {
        return host.error();
    }
    std::error_code ec;
    const fs::space_info space = fs::space(*host, ec);
    if (ec) {
        return native::errorFrom(ec);
    }
    return DriveSpace{.available = static_cast<std::uint64_t>(space.available),
                      .allocationUnit = native::allocationUnit(*host)};
}

std::string HostFileService::temporaryFolder() {
    return temporaryFolder_;
}

LockResult lockWorkingDirectories(InstanceLock& lock, HostFileService& files) {
    const Result<fs::path> folder = files.resolve(files.temporaryFolder());
    if (!folder) {
        return {LockOutcome::Failed, "Can not lock the temporary folder " +
                                         files.temporaryFolder() + ": " +
                                         std::string(errorDescription(folder.error()))};
    }
    return lock.acquire(*folder);
}

std::optional<TransferResult> HostFileService::kernelCopy(std::string_view source,
                                                          std::string_view target, bool append) {
    if (stopping()) {
        return TransferResult{FileError::Interrupted, TransferStage::OpenSource};
    }
    Result<fs::path> from = resolve(source);
    if (!from) {
        return TransferResult{from.error(), TransferStage::OpenSource};
    }
    Result<fs::path> to = resolve(target);
    if (!to) {
        return TransferResult{to.error(), TransferStage::OpenTarget};
    }
    return native::copyRange(*from, *to,
                             append ? native::CopyMode::Append : native::CopyMode::Replace);
}

TransferResult HostFileService::copyFile(std::string_view source, std::string_view target,
                                         bool overwrite) {
    if (!overwrite && fileExists(target)) {
        return {FileError::FileAlreadyExists, TransferStage::OpenTarget};
    }
    const std::optional<TransferResult> copied = kernelCopy(source, target, false);
    if (!copied) {
        return FileService::copyFile(source, target, overwrite);
    }
    if (copied->failedAt == TransferStage::Read || copied->failedAt == TransferStage::Write) {
        passOver(deleteFile(target));  // never leave a partial copy behind, if it can go
    }
    return *copied;
}

TransferResult HostFileService::appendFile(std::string_view source, std::string_view target) {
    const bool existed = fileExists(target);
    const std::optional<TransferResult> appended = kernelCopy(source, target, true);
    if (!appended) {
        return FileService::appendFile(source, target);
    }
    if (!appended->ok() && !existed && appended->failedAt != TransferStage::OpenSource) {
        passOver(deleteFile(target));  // the append failed already; the new target goes if it can
    }
    return *appended;
}

}  // namespace xq
