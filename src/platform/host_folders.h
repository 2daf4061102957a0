#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xq {

// Checks on host folders named by the operator on a command line (not Windows-form paths).

// The folder's absolute path, with links and "." or ".." resolved; nullopt when it is no folder.
std::optional<std::string> canonicalFolder(std::string_view hostPath);

// Whether this user may create files in the folder: a file is made there and removed again.
bool isWritableFolder(std::string_view hostPath);

// Whether the folder holds a regular file of this name (matched without regard to ASCII case).
bool folderHoldsFile(std::string_view hostFolder, std::string_view name);

}  // namespace xq
