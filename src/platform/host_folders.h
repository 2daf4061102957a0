#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xq {

// Checks on host folders named by the operator on a command line (not Windows-form paths).

// What separates the names of a host path, as the operator writes it.
#ifdef _WIN32
inline constexpr char kHostSeparator = '\\';
#else
inline constexpr char kHostSeparator = '/';
#endif

// The folder's absolute path, with links and "." or ".." resolved; nullopt when it is no folder.
std::optional<std::string> canonicalFolder(std::string_view hostPath);

// Makes the folder and the folders above it that are missing; whether it is a folder now.
bool makeFolders(std::string_view hostPath);

// Whether this user may create files in the folder: a file is made there and removed again.
bool isWritableFolder(std::string_view hostPath);

// Whether the folder holds a regular file of this name (matched without regard to ASCII case).
bool folderHoldsFile(std::string_view hostFolder, std::string_view name);

// The names that lead from `outer` to `inner` when `inner` is `outer` (none) or lies inside it;
// nullopt when it lies elsewhere. Both are canonical folders; on Windows names compare without
// regard to case, as the system does.
std::optional<std::vector<std::string>> namesBelow(std::string_view outer, std::string_view inner);

// The folder the converter keeps its working folders in, canonical; nullopt when it is missing.
std::optional<std::string> canonicalTemporaryFolder();

}  // namespace xq
