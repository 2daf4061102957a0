#pragma once

// Host-specific file primitives behind HostFileService: POSIX in native_posix.cpp, Win32 in
// native_win32.cpp. Paths here are host paths, already resolved. Nothing here follows a link at
// the end of a path; on Windows that rules out std::filesystem, whose MinGW build answers
// symlink_status with the link target's status and stops at MAX_PATH.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/clock.h"
#include "platform/file_service.h"

namespace xq::native {

FileError errorFrom(const std::error_code& ec);
FileError fromErrno(int value);

// What is at the path, the entry itself: symlink for a link (a junction too), not_found when
// nothing is there, none when it cannot be looked at.
std::filesystem::file_type entryType(const std::filesystem::path& path);

struct FolderEntry {
    std::string name;                                                       // UTF-8
    std::filesystem::file_type type = std::filesystem::file_type::unknown;  // as entryType says
    bool hiddenOrSystem = false;  // left out of ordinary listings
};

// A folder's entries ("." and ".." left out), in no particular order.
Result<std::vector<FolderEntry>> listFolder(const std::filesystem::path& path);

// The length of a regular file; anything else (a link to a file too) is PathFileAccess.
Result<std::uint64_t> fileLength(const std::filesystem::path& path);

Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path, ReadMode mode);
Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path, WriteMode mode);
FileError makeDir(const std::filesystem::path& path, DirAccess access);
// Removes an empty folder, a read-only one too.
FileError removeFolder(const std::filesystem::path& path);
// Removes a file, a link or another entry that is no folder, a read-only one too.
FileError deleteEntry(const std::filesystem::path& path);
// Renames within one volume without replacing anything. On Windows, while another program (a
// virus scanner, a file manager, an indexer) holds the entry or something in it open, the rename
// is tried again for a few seconds of `clock`; if it never goes through, the error is FileInUse.
FileError renameEntry(const std::filesystem::path& from, const std::filesystem::path& to,
                      Clock& clock);
FileError flushFile(const std::filesystem::path& path);

// Copies a file's bytes to the target (replaced, or appended to) where the host keeps them, without
// passing them through this program: copy_file_range on Linux, CopyFileExW on Windows (which cannot
// append). Nullopt when the host cannot copy that way; then nothing has been written. An append
// that fails is taken back.
enum class CopyMode { Replace, Append };
std::optional<TransferResult> copyRange(const std::filesystem::path& source,
                                        const std::filesystem::path& target, CopyMode mode);
// Puts a folder's entries on the medium. Where the host cannot flush a folder, that counts as done
// only on a volume that is known to write every change through; elsewhere it is a failed write.
FileError flushFolder(const std::filesystem::path& path);

// The size of the units the volume that holds `path` allocates files in; 0 when it cannot be told.
std::uint64_t allocationUnit(const std::filesystem::path& path);

// Whether names on this host that differ only in case are the same file anyway.
bool namesIgnoreCase();

// The host path of the network share \\server\share, where the host reaches shares by name (as
// Windows does); nullopt elsewhere.
std::optional<std::filesystem::path> shareRoot(std::string_view server, std::string_view share);

// A resolved path in the form the host's calls take at any length: on Windows a path too long for
// the plain form (MAX_PATH) gets the "\\?\" form, with the final name trimmed of trailing dots and
// blanks as the plain form trims it. Other paths are returned as they are.
std::filesystem::path anyLengthForm(std::filesystem::path path);

}  // namespace xq::native
