#pragma once

#include <string>
#include <vector>

#include "platform/file_service.h"

namespace xq {

// The lines of a text file whose lines end in LF, read a block at a time. A CR stays part of its
// line, as the descriptor's format has it.
class LineReader {
  public:
    explicit LineReader(InputFile& file) : file_(file), block_(4096) {}

    // The next line without its LF. False at the end of the file, or when a read failed
    // (`failed()` tells which).
    bool next(std::string& line);
    bool failed() const { return failed_; }

  private:
    InputFile& file_;
    std::vector<char> block_;
    std::size_t at_ = 0;
    std::size_t filled_ = 0;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace xq
