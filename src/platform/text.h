#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace xq {

// Line break of every message, pane and log line.
inline constexpr std::string_view CRLF = "\r\n";

constexpr bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
constexpr bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
constexpr char asciiUpper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
constexpr char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

std::string asciiUpper(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// A number as messages write it: whole numbers without a fraction ("4711", "-3"), others with up to
// fifteen significant digits ("0.5", "1.23456789012346E+20").
std::string formatNumber(double value);

// Reads text as a number the way the converter always has: leading blanks and tabs are skipped,
// then an optional sign, digits, an optional fraction and exponent; anything after that is ignored.
// Text that does not begin with a number reads as 0. `isNumber` tells whether the whole text,
// blanks around it aside, was one number.
double parseNumber(std::string_view text, bool* isNumber = nullptr);

// The exact value of text that parseNumber reads as one whole, non-negative number ("  4711 ",
// "4711.0", "4.711E3"), as its decimal digits without leading zeros ("4711"). Nullopt for anything
// else: no number, a fraction, a negative number. Unlike a double, it tells apart numbers of any
// length that differ in their last digit.
std::optional<std::string> wholeNumberDigits(std::string_view text);

// The text without the blanks and tabs at its ends.
std::string trimmedBlanks(std::string_view text);

// Decimal digits without their leading zeros; "0" for none at all.
std::string withoutLeadingZeros(std::string_view digits);

// The value of a run of decimal digits, rounded once to the nearest double: the value parseNumber
// gives for the same digits, also for numbers of 16 digits and more, where adding digit by digit
// would round at every step and come out different. No digits read as 0; digits beyond the range
// of a double as infinity.
double decimalDigitsValue(std::string_view digits);

// Whole Kbytes with digit grouping, for the free-space line ("1,423").
struct DigitGrouping {
    std::string separator = ",";
    int groupSize = 3;  // 0: no grouping
};
std::string formatGrouped(std::uint64_t value, const DigitGrouping& grouping);

// The regional digit grouping of this machine's user settings.
DigitGrouping regionalDigitGrouping();

// The length of UTF-8 text in characters (code points), the unit in which text boxes count their
// text: a name with an accent is longer in bytes than on the screen.
std::size_t characterCount(std::string_view utf8);
// The end of UTF-8 text that holds its last `count` characters (all of it when it has fewer). A
// view finds a position near the end of a long text this way without reading the whole text.
std::string_view lastCharacters(std::string_view utf8, std::size_t count);

// The lines of a text the program wrote itself (a record, a journal), each without the LF that
// ends it; nullopt when the last one has none: the text was cut off while it was written.
std::optional<std::vector<std::string_view>> completeLines(std::string_view text);

}  // namespace xq
