#include "archive/archive_descriptor.h"

#include <initializer_list>
#include <string>

#include <gtest/gtest.h>

#include "platform/text.h"
#include "support/test_drives.h"

namespace xq::test {
namespace {

constexpr std::string_view kHeader = "#XQ3100 ARCHIVE #4711";

std::string lines(std::initializer_list<std::string_view> all) {
    std::string text;
    for (std::string_view line : all) {
        text.append(line).append("\n");
    }
    return text;
}

DescriptorError parse(std::string_view text, ArchiveState& state) {
    return ParseArchiveDescriptor(std::span<const char>(text.data(), text.size()), state).error;
}

ArchiveState parsed(std::string_view text) {
    ArchiveState state;
    EXPECT_EQ(parse(text, state), DescriptorError::None) << text;
    return state;
}

TEST(ArchiveDescriptorTest, ReadsTheHeaderFromFixedColumnsWhateverTheFirstByte) {
    EXPECT_EQ(parsed(lines({kHeader, "NUMDISKS: 12", "FILE: 1 0 1 7 /a"})).disketteCount, 12);
    for (char first : {'\n', 'Z', '\0'}) {
        std::string text = lines({kHeader, "numdisks? 3", "FILE: 1 0 1 7 /a"});
        text[0] = first;
        const ArchiveState state = parsed(text);
        EXPECT_EQ(state.archiveId, 4711);
        EXPECT_EQ(state.disketteCount, 3);
    }
}

TEST(ArchiveDescriptorTest, ReadsEveryFieldOfTheFileLines) {
    const char nul[] = "FILE: 1 0 1 7 /n\0 b";
    const ArchiveState state =
        parsed(lines({kHeader, "NUMDISKS: 12", "note", "file: 1 0 1 7 /not/this",
                      "FILE: 12 1 0 4711 /db/part.dat x", "FILE: 1 0 1 7 /a b\r\r",
                      "other 3 0 0 4294967295 /k", std::string_view(nul, sizeof nul - 1)}) +
               "FILE: 2 0 0 5 /last");  // the data may end without LF
    ASSERT_EQ(state.fileCount, 5);
    EXPECT_EQ(state.files[0], (ArchivedFile{12, true, false, 4711, "\\db\\part.dat", "x"}));
    // Only the CR of the line end goes; one inside the line stays part of it.
    EXPECT_EQ(state.files[1], (ArchivedFile{1, false, true, 7, "\\a", "b\r"}));
    // From the first "FILE:" line on, every line is a file line.
    EXPECT_EQ(state.files[2], (ArchivedFile{3, false, false, 4294967295.0, "\\k", ""}));
    EXPECT_EQ(state.files[3].fileName, "\\n");  // a NUL ends the field like the line's end
    EXPECT_EQ(state.files[3].secondString, "");
    EXPECT_EQ(state.table().back().fileName, "\\last");
}

TEST(ArchiveDescriptorTest, TakesAHundredFileLinesAndAHundredCharactersOfALine) {
    std::string text = lines({std::string(kHeader) + std::string(200, '7'), "NUMDISKS: 1"});
    text += "FILE: 1 0 1 7 /" + std::string(150, 'n') + " second\n";
    for (int i = 2; i <= 100; ++i) {
        text += "FILE: 1 0 1 " + std::to_string(i) + " /f x\n";
    }
    const ArchiveState state = parsed(text + "\n\n");
    EXPECT_EQ(state.fileCount, 100);
    EXPECT_EQ(state.files[99].archivedChecksum, 100);
    EXPECT_EQ(state.files[0].fileName, "\\" + std::string(85, 'n'));  // 14 + 86 characters
    EXPECT_EQ(state.files[0].secondString, "");
    EXPECT_GT(state.archiveId, 4.7117e83);  // 84 digits of the header line, not 204
    EXPECT_LT(state.archiveId, 4.7118e83);

    // A 101st line is never dropped: it could be the last piece of a file.
    ArchiveState kept = state;
    EXPECT_EQ(parse(text + "FILE: 2 1 1 101 /f x\n", kept), DescriptorError::TooManyFileLines);
    EXPECT_EQ(kept, state);
}

TEST(ArchiveDescriptorTest, ReadsDescriptorsWrittenOnDosAsTheirLfForm) {
    const std::string unix = lines({kHeader, "NUMDISKS: 2", "DATE: 1998", "FILE: 1 0 0 7 /db/a.dat",
                                    "FILE: 2 1 1 9 /db/a.dat MAIN"});
    const ArchiveState expected = parsed(unix);
    ASSERT_EQ(expected.fileCount, 2);
    std::string dos;
    for (char c : unix) {
        dos += c == '\n' ? std::string("\r\n") : std::string(1, c);
    }
    for (const std::string& text :
         {dos, dos + "\x1A", dos + "\x1A\x1A\x1A", dos.substr(0, dos.size() - 2) + "\x1A",
          dos.substr(0, dos.size() - 1), unix + "\n\n", dos + "\r\n\n\r\n\x1A"}) {
        EXPECT_EQ(parsed(text), expected) << text;
    }
}

TEST(ArchiveDescriptorTest, KeepsLongArchiveIdsExactly) {
    for (const std::string id : {"35376365019588633", "1234567890123456789", "0042"}) {
        const ArchiveState state =
            parsed(lines({"#XQ3100 ARCHIVE #" + id, "NUMDISKS: 1", "FILE: 1 0 1 7 /a"}));
        EXPECT_EQ(state.archiveId, parseNumber(id)) << id;
        EXPECT_EQ(state.archiveIdText, withoutLeadingZeros(id));
    }
}

// An empty line between file lines is an entry that names no file, as the descriptor has always
// been read: verification asks about it, and nothing is written for it.
TEST(ArchiveDescriptorTest, AnEmptyLineBetweenFileLinesNamesNoFile) {
    const ArchiveState state =
        parsed(lines({kHeader, "NUMDISKS: 1", "FILE: 1 0 1 7 /a", "", "FILE: 1 0 1 7 /b"}));
    ASSERT_EQ(state.fileCount, 3);
    EXPECT_FALSE(state.files[1].namesAFile());
    EXPECT_EQ(state.files[2].fileName, "\\b");
}

TEST(ArchiveDescriptorTest, AcceptsTenThousandBytes) {
    std::string text = lines({kHeader, "NUMDISKS: 1"});
    text += std::string(kMaxDescriptorBytes - text.size() - 17, '-') + "\nFILE: 1 0 1 7 /a";
    ASSERT_EQ(text.size(), 10000u);
    EXPECT_EQ(parsed(text).files[0].fileName, "\\a");
}

struct Refused {
    std::string text;
    DescriptorError error;
};

class RefusedDescriptorTest : public ::testing::TestWithParam<Refused> {};

TEST_P(RefusedDescriptorTest, RefusesTheWholeDescriptorAndKeepsTheState) {
    ArchiveState state = parsed(lines({kHeader, "NUMDISKS: 2", "FILE: 2 1 1 9 /a x"}));
    const ArchiveState before = state;
    EXPECT_EQ(parse(GetParam().text, state), GetParam().error) << GetParam().text;
    EXPECT_EQ(state, before);
}

const std::string kGood = lines({kHeader, "NUMDISKS: 1", "FILE: 1 0 1 7 /ok x"});

INSTANTIATE_TEST_SUITE_P(
    Descriptors, RefusedDescriptorTest,
    ::testing::Values(
        Refused{"", DescriptorError::Empty},
        Refused{std::string(10001, '\n'), DescriptorError::TooLong},
        Refused{lines({kHeader, "NUMDISKS: 1", "no file lines"}), DescriptorError::NoFileTable},
        Refused{lines({kHeader, "FILE: 1 0 1 7 /a"}), DescriptorError::NoFileTable},
        // A set of no diskettes, or of more than diskette names exist for, can never be read.
        Refused{lines({kHeader, "NUMDISKS: 0", "FILE: 1 0 1 7 /a"}),
                DescriptorError::DisketteCountOutOfRange},
        Refused{lines({kHeader, "NUMDISKS: 100", "FILE: 1 0 1 7 /a"}),
                DescriptorError::DisketteCountOutOfRange},
        Refused{lines({kHeader, "NUMDISKS: " + std::string(400, '9'), "FILE: 1 0 1 7 /a"}),
                DescriptorError::DisketteCountOutOfRange},
        Refused{kGood + "FILE: 40000 0 1 7 /a\n", DescriptorError::Overflow},
        Refused{kGood + "FILE: 1 0 1 7 /../../etc/passwd x\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 x.dat y\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /C:/x y\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /a\r\r\n", DescriptorError::UnsafeName},
        // Names the card would hold under another name, or not as a file at all.
        Refused{kGood + "FILE: 1 0 1 7 /.../x\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /db./x\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /a.dat.\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /nul.dat\n", DescriptorError::UnsafeName},
        Refused{kGood + "FILE: 1 0 1 7 /a?.dat\n", DescriptorError::UnsafeName}));

TEST(DescriptorFileTest, GivesTheFileServiceErrorAndChecksTheSizeBeforeReading) {
    TestDrives drives;
    const std::filesystem::path c = drives.hostPath("C:\\");
    ArchiveState state;
    EXPECT_EQ(ParseArchiveDescriptor(drives.files, "C:\\archive.dat", state),
              (DescriptorResult{DescriptorError::Unreadable, FileError::FileNotFound}));
    writeFile(c / "empty.dat", "");
    EXPECT_EQ(ParseArchiveDescriptor(drives.files, "C:\\empty.dat", state).error,
              DescriptorError::Empty);
    writeFile(c / "long.dat", std::string(10001, 'x'));
    EXPECT_EQ(ParseArchiveDescriptor(drives.files, "C:\\long.dat", state).error,
              DescriptorError::TooLong);
    EXPECT_EQ(drives.files.count(FileOp::OpenRead), 0);

    writeFile(c / "d" / "archive.dat", kGood);
    EXPECT_TRUE(ParseArchiveDescriptor(drives.files, "C:\\d\\ARCHIVE.DAT", state).ok());
    EXPECT_EQ(state.files[0].fileName, "\\ok");
}

}  // namespace
}  // namespace xq::test
