#include "platform/text.h"

#include <gtest/gtest.h>

#include "platform/drive_table.h"

namespace xq {
namespace {

TEST(FormatNumber, WritesWholeNumbersWithoutAFraction) {
    EXPECT_EQ(formatNumber(0), "0");
    EXPECT_EQ(formatNumber(-0.0), "0");
    EXPECT_EQ(formatNumber(4711), "4711");
    EXPECT_EQ(formatNumber(4294967295.0), "4294967295");
    EXPECT_EQ(formatNumber(-12), "-12");
    EXPECT_EQ(formatNumber(0.5), "0.5");
    EXPECT_EQ(formatNumber(1e20), "1E+20");
    EXPECT_EQ(formatNumber(123456789012345678.0), "1.23456789012346E+17");
}

TEST(ParseNumber, ReadsANumberWithBlanksAroundIt) {
    bool isNumber = false;
    EXPECT_EQ(parseNumber("  12345 ", &isNumber), 12345);
    EXPECT_TRUE(isNumber);
    EXPECT_EQ(parseNumber("-7.5", &isNumber), -7.5);
    EXPECT_TRUE(isNumber);
    EXPECT_EQ(parseNumber("12x", &isNumber), 12);
    EXPECT_FALSE(isNumber);
    for (const char* text : {"", "  ", "abc", "inf", "nan", "+", "1e999"}) {
        parseNumber(text, &isNumber);
        EXPECT_FALSE(isNumber) << text;
    }
}

TEST(FormatGrouped, GroupsDigitsAsTheRegionalSettingsSay) {
    const DigitGrouping thousands{",", 3};
    EXPECT_EQ(formatGrouped(0, thousands), "0");
    EXPECT_EQ(formatGrouped(999, thousands), "999");
    EXPECT_EQ(formatGrouped(1423, thousands), "1,423");
    EXPECT_EQ(formatGrouped(1234567, {".", 3}), "1.234.567");
    EXPECT_EQ(formatGrouped(1234567, {"", 0}), "1234567");
}

TEST(CharacterCount, CountsCharactersNotBytes) {
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("C:\\Temp\r\n"), 9u);
    EXPECT_EQ(characterCount("Zo\xC3\xAB"), 3u);                // Zoë
    EXPECT_EQ(characterCount("\xE6\x97\xA5\xE6\x9C\xAC"), 2u);  // two CJK characters
    EXPECT_EQ(characterCount("\xF0\x9F\x92\xBE"), 1u);          // a character beyond 16 bits
    EXPECT_EQ(lastCharacters("Zo\xC3\xAB\r\n", 3), "\xC3\xAB\r\n");
    EXPECT_EQ(lastCharacters("ab", 5), "ab");
}

TEST(GetDriveName, TakesTheLetterAndColonOfAListTextOrPath) {
    EXPECT_EQ(GetDriveName("a:"), "a:");
    EXPECT_EQ(GetDriveName("c: [SYSTEM]"), "c:");
    EXPECT_EQ(GetDriveName("E:\\backup\\single\\"), "E:");
    EXPECT_EQ(GetDriveName("backup"), "");
    EXPECT_EQ(driveLetterOf("e: [CARD]"), 'E');
    EXPECT_EQ(driveLetterOf(""), '\0');
}

}  // namespace
}  // namespace xq
