#include "support/temp_dir.h"

#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <system_error>

#include "support/links.h"

#ifdef _WIN32
#include "platform/windows_headers.h"
#endif

namespace xq::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    // A random name that nothing else holds yet: create_directory fails on an existing one.
    std::random_device random;
    std::uniform_int_distribution<int> digit(0, 35);
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "xq3100-test-";
        for (int i = 0; i < 8; ++i) {
            const int d = digit(random);
            name += static_cast<char>(d < 10 ? '0' + d : 'a' + d - 10);
        }
        std::error_code ec;
        if (fs::create_directory(base / name, ec)) {
            path_ = base / name;
            return;
        }
    }
    throw std::runtime_error("cannot create a temporary folder in " + base.string());
}

TempDir::~TempDir() {
    removeTree(path_);
}

void writeFile(const fs::path& path, std::string_view bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::map<std::string, std::string> filesUnder(const fs::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_regular_file(ec)) {
            files[fs::relative(it->path(), folder).generic_string()] = readFile(it->path());
        }
    }
    return files;
}

void writeHiddenFile(const fs::path& path, std::string_view bytes) {
    if (!path.filename().string().starts_with('.')) {
        throw std::logic_error("a hidden file's name begins with \".\": " + path.string());
    }
    writeFile(path, bytes);
#ifdef _WIN32
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path.string());
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace xq::test
