#include "convert/temporary_directories.h"

#include <gtest/gtest.h>

#include "convert_test_fixture.h"
#include "support/links.h"

namespace xq::test {
namespace {

using CleanUpTest = ConvertTest;

TEST_F(CleanUpTest, CleanUpRemovesEveryWorkingDirectory) {
    readSet(splitSet());
    context.disketteDirectories = 4;  // a fourth diskette was tried and refused
    fs::create_directories(host("C:\\Temp\\XQ3100_disk4"));
    writeFile(host("C:\\Temp\\XQ3100_flat\\.hidden"), "ours too");
    const std::size_t start = log().size();
    RemoveTemporaryDirectories(context);
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
    std::string expected = "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n";
    for (int n = 1; n <= 4; ++n) {
        expected +=
            "Remove temporary directory C:\\Temp\\XQ3100_disk" + std::to_string(n) + "\\\r\n";
    }
    EXPECT_EQ(log().substr(start), expected);
}

TEST_F(CleanUpTest, BeforeAnyDescriptorWasReadOnlyTheFlatDirectoryIsRemoved) {
    fs::create_directories(host("C:\\Temp\\XQ3100_flat\\db"));
    RemoveTemporaryDirectories(context);
    EXPECT_EQ(log(), "Remove temporary directory C:\\Temp\\XQ3100_flat\\\r\n");
    EXPECT_TRUE(fs::is_empty(host("C:\\Temp")));
}

// A run that was killed left its working directories; the next run, holding the lock of the
// temporary folder, removes them, and nothing else that is there.
TEST_F(CleanUpTest, WorkingDirectoriesOfARunThatDiedAreRemovedAndNothingElse) {
    const fs::path temp = host("C:\\Temp");
    writeFile(temp / "XQ3100_disk1" / "disk0001.dat", "1");
    writeFile(temp / "XQ3100_disk57" / "db" / "main.dat", "57");
    writeFile(temp / "XQ3100_flat" / ".hidden", "flat");
    writeFile(temp / "XQ3100_diskette" / "x", "not a name of ours");
    writeFile(temp / "XQ3100_disk2.txt", "a file, not a folder");
    writeFile(temp / "other" / "x", "someone else's");
    // Where the host makes links (Wine makes none), one with a name of ours stands in too.
    const bool linked = makeFolderLink(temp / "other", temp / "XQ3100_disk3").empty();
    RemoveLeftoverDirectories(drives.files, op);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temp)) {
        left.push_back(entry.path().filename().string());
    }
    std::sort(left.begin(), left.end());
    std::vector<std::string> kept = {"XQ3100_disk2.txt", "XQ3100_diskette", "other"};
    if (linked) {
        kept.insert(kept.begin() + 1, "XQ3100_disk3");
    }
    EXPECT_EQ(left, kept);
    EXPECT_EQ(readFile(temp / "other" / "x"), "someone else's");
    EXPECT_EQ(log(),
              "Remove temporary directory C:\\Temp\\XQ3100_disk1\\ left by an earlier run\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_disk57\\ left by an earlier run\r\n"
              "Remove temporary directory C:\\Temp\\XQ3100_flat\\ left by an earlier run\r\n");
}

}  // namespace
}  // namespace xq::test
