#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace xq::test {

// A fresh folder under the host's temporary folder, removed with everything in it on destruction.
class TempDir {
  public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }

  private:
    std::filesystem::path path_;
};

// Whole-file helpers for test fixtures and assertions (never used by the product).
void writeFile(const std::filesystem::path& path, std::string_view bytes);
std::string readFile(const std::filesystem::path& path);
// Every file below a folder with its bytes, by relative path with "/" ("db/main.dat"); empty for a
// folder that is not there.
std::map<std::string, std::string> filesUnder(const std::filesystem::path& folder);
// A file listings leave out as hidden: its name begins with "." (hidden on POSIX hosts), and on
// Windows it carries the hidden attribute as well.
void writeHiddenFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace xq::test
