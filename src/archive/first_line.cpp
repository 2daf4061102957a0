#include "archive/first_line.h"

#include <array>

namespace xq {

Result<std::string> readFirstLine(FileService& files, std::string_view path) {
    Result<std::unique_ptr<InputFile>> in = files.openRead(path);
    if (!in) {
        return in.error();
    }
    std::string line;
    bool readAny = false;
    std::array<char, 512> block{};
    for (;;) {
        Result<std::size_t> got = (*in)->read(block);
        if (!got) {
            return got.error();
        }
        const std::string_view bytes(block.data(), *got);
        readAny = readAny || !bytes.empty();
        const std::size_t end = bytes.find_first_of("\r\n");
        line.append(bytes.substr(0, end));
        if (end != std::string_view::npos || *got < block.size()) {
            break;
        }
    }
    if (!readAny) {
        return FileError::InputPastEnd;
    }
    return line;
}

}  // namespace xq
