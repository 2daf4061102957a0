#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace xq {

// The decimal number whose digits begin at index `start` of a descriptor line, up to the first byte
// that is not a digit, rounded once to the nearest double (decimalDigitsValue). A field that starts
// with anything else (or lies outside the line) reads as 0. Digits that run up to the end of the
// line stop there. A field of hundreds of digits comes out as infinity, never as an error.
double ReadDecimalField(std::span<const char> line, std::int16_t start);

// The digits of that field, exactly as they stand.
std::string_view decimalFieldDigits(std::span<const char> line, std::int16_t start);

}  // namespace xq
