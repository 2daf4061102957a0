#pragma once

#include <filesystem>
#include <string>

namespace xq::test {

// Links for tests of code that must never follow one. std::filesystem cannot be used for them on
// every host: MinGW's libstdc++ makes no links at all and reports a link's target as the entry.

// Makes `link` a link to the folder `target`: a symbolic link, or on Windows a junction where the
// user may not make symbolic links. Returns why the host cannot make one (empty when it is made).
std::string makeFolderLink(const std::filesystem::path& target, const std::filesystem::path& link);

// Makes `link` a symbolic link to the file `target`; returns why not, as above.
std::string makeFileLink(const std::filesystem::path& target, const std::filesystem::path& link);

// Whether the entry itself is a link (a symbolic link, a junction).
bool isLink(const std::filesystem::path& path);

// Whether anything is at the path, a link to nothing included.
bool entryExists(const std::filesystem::path& path);

// Removes a folder with everything in it, read-only entries included; links are removed without
// touching what they point to.
void removeTree(const std::filesystem::path& path);

}  // namespace xq::test
