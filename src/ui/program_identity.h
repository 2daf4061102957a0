#pragma once

#include <string_view>

namespace xq {

// The program's version record: its caption, the start-up banner, the About box and the
// single-instance check all read it.
struct ProgramIdentity {
    std::string_view title = "XQ3100 Database Media Converter";
    int major = 1;
    int minor = 4;
    int revision = 1;
    std::string_view comments = "July 17, 2007";
};

inline constexpr ProgramIdentity kProgram{};

}  // namespace xq
