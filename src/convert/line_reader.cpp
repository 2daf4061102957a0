#include "convert/line_reader.h"

#include <algorithm>

namespace xq {

bool LineReader::next(std::string& line) {
    line.clear();
    bool any = false;
    for (;;) {
        if (at_ == filled_) {
            if (ended_) {
                return any;
            }
            const Result<std::size_t> got = file_.read(block_);
            if (!got) {
                failed_ = true;
                return false;
            }
            at_ = 0;
            filled_ = *got;
            ended_ = filled_ < block_.size();
            if (filled_ == 0) {
                return any;
            }
        }
        const auto begin = block_.begin() + static_cast<std::ptrdiff_t>(at_);
        const auto end = block_.begin() + static_cast<std::ptrdiff_t>(filled_);
        const auto lf = std::find(begin, end, '\n');
        line.append(begin, lf);
        any = true;
        at_ = static_cast<std::size_t>(lf - block_.begin());
        if (lf != end) {
            ++at_;
            return true;
        }
    }
}

}  // namespace xq
