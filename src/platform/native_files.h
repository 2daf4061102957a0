#pragma once

// Host-specific file primitives behind HostFileService: POSIX in native_posix.cpp, Win32 in
// native_win32.cpp. Paths here are host paths, already resolved.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "platform/file_service.h"

namespace xq::native {

FileError errorFrom(const std::error_code& ec);
FileError fromErrno(int value);

Result<std::unique_ptr<InputFile>> openRead(const std::filesystem::path& path, ReadMode mode);
Result<std::unique_ptr<OutputFile>> openWrite(const std::filesystem::path& path, WriteMode mode);
FileError makeDir(const std::filesystem::path& path, DirAccess access);
FileError deleteEntry(const std::filesystem::path& path);
FileError flushFile(const std::filesystem::path& path);

// Copies a file's bytes to the target (emptied first, or appended to), inside the kernel. Nullopt
// when the host cannot copy that way; then nothing has been written. An append that fails is
// taken back.
enum class CopyMode { Replace, Append };
std::optional<TransferResult> copyRange(const std::filesystem::path& source,
                                        const std::filesystem::path& target, CopyMode mode);
FileError flushFolder(const std::filesystem::path& path);

// Whether a folder entry is hidden or a system entry, which listings leave out.
bool isHiddenOrSystem(const std::filesystem::path& folder, const std::string& name);

// Whether names on this host differ only in case are the same file anyway.
bool namesIgnoreCase();

}  // namespace xq::native
