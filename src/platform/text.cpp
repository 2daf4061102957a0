#include "platform/text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

namespace xq {

std::string asciiUpper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        c = asciiUpper(c);
    }
    return upper;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) {
            return false;
        }
    }
    return true;
}

std::string formatNumber(double value) {
    if (value == 0) {
        return "0";  // also for -0
    }
    if (std::isfinite(value) && std::abs(value) < 1e15 && value == std::trunc(value)) {
        char digits[32];
        const auto written =
            std::to_chars(std::begin(digits), std::end(digits), static_cast<long long>(value));
        return std::string(digits, written.ptr);
    }
    char digits[64];
    const auto written =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 15);
    std::string text(digits, written.ptr);
    for (char& c : text) {
        c = asciiUpper(c);  // "1.5E+20", as the converter has always written large numbers
    }
    return text;
}

namespace {

constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

double parseNumber(std::string_view text, bool* isNumber) {
    std::size_t pos = 0;
    while (pos < text.size() && isBlank(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    double value = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    const auto parsed = std::from_chars(first, last, value, std::chars_format::general);
    const bool parsedSome = parsed.ec == std::errc{} && parsed.ptr != first;
    if (!parsedSome) {
        value = 0;
    }
    if (isNumber != nullptr) {
        const char* rest = parsedSome ? parsed.ptr : first;
        while (rest != last && isBlank(*rest)) {
            ++rest;
        }
        // from_chars also reads "inf" and "nan"; neither is a number written on a diskette.
        *isNumber = parsedSome && rest == last && std::isfinite(value) &&
                    (isAsciiDigit(*first) || *first == '.');
    }
    return negative ? -value : value;
}

std::string trimmedBlanks(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    return std::string(text);
}

std::string withoutLeadingZeros(std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? "0" : std::string(digits.substr(first));
}

std::optional<std::string> wholeNumberDigits(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isBlank(text.back())) {
        text.remove_suffix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    auto takeDigits = [&text] {
        std::size_t n = 0;
        while (n < text.size() && isAsciiDigit(text[n])) {
            ++n;
        }
        const std::string_view digits = text.substr(0, n);
        text.remove_prefix(n);
        return digits;
    };
    std::string digits(takeDigits());
    long long shift = 0;  // the value is digits × 10^shift
    if (!text.empty() && text.front() == '.') {
        text.remove_prefix(1);
        const std::string_view fraction = takeDigits();
        digits += fraction;
        shift -= static_cast<long long>(fraction.size());
    }
    if (digits.empty()) {
        return std::nullopt;
    }
    if (!text.empty() && (text.front() == 'e' || text.front() == 'E')) {
        text.remove_prefix(1);
        bool negativeExponent = false;
        if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
            negativeExponent = text.front() == '-';
            text.remove_prefix(1);
        }
        const std::string_view exponent = takeDigits();
        // Beyond a few hundred digits nothing compares equal to an ID of a descriptor line.
        if (exponent.empty() || exponent.size() > 4) {
            return std::nullopt;
        }
        long long value = 0;
        std::from_chars(exponent.data(), exponent.data() + exponent.size(), value);
        shift += negativeExponent ? -value : value;
    }
    if (!text.empty()) {
        return std::nullopt;
    }
    while (shift < 0 && digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++shift;
    }
    std::string whole = withoutLeadingZeros(digits);
    if (whole == "0") {
        return whole;  // also "-0" and "0.000"
    }
    if (negative || shift < 0) {
        return std::nullopt;
    }
    if (shift > 1000) {
        return std::nullopt;
    }
    whole.append(static_cast<std::size_t>(shift), '0');
    return whole;
}

double decimalDigitsValue(std::string_view digits) {
    if (digits.empty()) {
        return 0;
    }
    double value = 0;
    const auto parsed = std::from_chars(digits.data(), digits.data() + digits.size(), value,
                                        std::chars_format::fixed);
    if (parsed.ec == std::errc::result_out_of_range) {
        return std::numeric_limits<double>::infinity();
    }
    return value;
}

std::string formatGrouped(std::uint64_t value, const DigitGrouping& grouping) {
    std::string digits = std::to_string(value);
    if (grouping.groupSize <= 0 || grouping.separator.empty()) {
        return digits;
    }
    std::string grouped;
    const std::size_t size = static_cast<std::size_t>(grouping.groupSize);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % size == 0) {
            grouped += grouping.separator;
        }
        grouped += digits[i];
    }
    return grouped;
}

std::size_t characterCount(std::string_view utf8) {
    // Every byte but the continuation bytes (10xxxxxx) of a multi-byte sequence starts a character.
    std::size_t count = 0;
    for (const char c : utf8) {
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string_view lastCharacters(std::string_view utf8, std::size_t count) {
    std::size_t start = utf8.size();
    while (count > 0 && start > 0) {
        --start;
        count -= (static_cast<unsigned char>(utf8[start]) & 0xC0) != 0x80 ? 1 : 0;
    }
    return utf8.substr(start);
}

std::optional<std::vector<std::string_view>> completeLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        if (end == std::string_view::npos) {
            return std::nullopt;
        }
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end + 1);
    }
    return lines;
}

}  // namespace xq
