#include <array>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "archive/archived_name.h"
#include "archive/decimal_field.h"
#include "archive/line_buffer.h"
#include "archive/set_names.h"

namespace xq::test {
namespace {

TEST(SetFormatTest, FormsDisketteFileNamesAndWorkingDirectories) {
    EXPECT_EQ(disketteFileName(1), "disk0001.dat");
    EXPECT_EQ(disketteFileName(9), "disk0009.dat");
    EXPECT_EQ(disketteFileName(10), "disk0010.dat");
    EXPECT_EQ(disketteFileName(99), "disk0099.dat");
    EXPECT_EQ(disketteDirectory("C:\\Temp", 12), "C:\\Temp\\XQ3100_disk12");
    EXPECT_EQ(flatDirectory("C:\\Temp"), "C:\\Temp\\XQ3100_flat");
}

TEST(SetFormatTest, ReadsDecimalFieldsWithoutLeavingTheBuffer) {
    LineBuffer line{};
    const std::string_view text = "NUMDISKS: 12 x 0047y";
    copyLine(std::span<const char>(text.data(), text.size()), 0, line);
    EXPECT_EQ(ReadDecimalField(line, 10), 12);
    EXPECT_EQ(ReadDecimalField(line, 15), 47);
    EXPECT_EQ(ReadDecimalField(line, 13), 0);  // starts on a letter
    EXPECT_EQ(ReadDecimalField(line, 50), 0);  // behind the line: the zero filling

    line.fill('9');  // digits up to the very end: reading stops there
    EXPECT_EQ(ReadDecimalField(line, 98), 999);
    EXPECT_EQ(ReadDecimalField(line, 101), 0);
    EXPECT_EQ(ReadDecimalField(line, -1), 0);

    const std::string many(400, '9');
    EXPECT_EQ(ReadDecimalField(many, 0), std::numeric_limits<double>::infinity());
}

TEST(SetFormatTest, CopiesLinesWithoutTheCrOfTheirLineEnd) {
    const std::string_view text = "a\r\nb\rc\r\n\r\nd\r";
    const std::span<const char> data(text.data(), text.size());
    LineBuffer line{};
    std::size_t pos = copyLine(data, 0, line);
    EXPECT_EQ(std::string_view(line.data()), "a");
    EXPECT_FALSE(isEmptyLine(data, 0));
    pos = copyLine(data, pos, line);
    EXPECT_EQ(std::string_view(line.data()), "b\rc");
    EXPECT_TRUE(isEmptyLine(data, pos));
    pos = copyLine(data, pos, line);
    EXPECT_EQ(std::string_view(line.data()), "");
    pos = copyLine(data, pos, line);
    EXPECT_EQ(std::string_view(line.data()), "d");
    EXPECT_EQ(pos, text.size());
    EXPECT_TRUE(isEmptyLine(data, pos));
}

TEST(SetFormatTest, TakesOnlyPlainRelativeNamesTheCardHoldsAsSafe) {
    for (const char* safe : {"\\a", "\\db\\part.dat", "\\ a.dat ", "\\.a", "\\a..b",
                             "\\console.dat", "\\com10", "\\lpt", "\\db\\naught.dat"}) {
        EXPECT_TRUE(isSafeArchivedName(safe)) << safe;
    }
    for (const char* unsafe : {"",          "\\",       "a.dat",      "\\..",    "\\db\\..\\..\\x",
                               "\\.\\x",    "\\db\\",   "\\\\x",      "\\C:\\x", "\\a:b",
                               "\\a\r",     "\\a\tb",   "\\a\x7f",    "\\...",   "\\...\\x",
                               "\\a.",      "\\db.\\x", "\\a<b",      "\\a>b",   "\\a\"b",
                               "\\a|b",     "\\a?",     "\\*.dat",    "\\CON",   "\\db\\nul.dat",
                               "\\Aux.x.y", "\\com1",   "\\LPT9.txt", "\\prn"}) {
        EXPECT_FALSE(isSafeArchivedName(unsafe)) << unsafe;
    }
}

}  // namespace
}  // namespace xq::test
