// Links on Windows, which the file service and the tree operations never walk into. Wine makes no
// links itself but shows those of the Linux file system as links: scripts/test-windows prepares
// drive L: with L:\tree\folder-link, a link to the folder L:\target that holds keep.txt. On
// Windows itself the tests make a junction of their own.

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "archive/tree_operations.h"
#include "archive_test_fixture.h"
#include "platform/host_file_service.h"
#include "platform/windows_drive_table.h"
#include "support/links.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

class WindowsLinksTest : public ArchiveTest {
  protected:
    void SetUp() override {
        if (isLink("L:\\tree\\folder-link") && fs::exists("L:\\target\\keep.txt")) {
            tree = "L:\\tree";
            target = "L:\\target";
            return;
        }
        const fs::path own = drives.newMedium("links");
        writeFile(own / "target" / "keep.txt", "keep");
        fs::create_directories(own / "tree");
        if (const std::string why = makeFolderLink(own / "target", own / "tree" / "folder-link");
            !why.empty()) {
            GTEST_SKIP() << why << "; drive L: is not prepared either";
        }
        tree = own / "tree";
        target = own / "target";
    }

    WindowsDriveTable machine;
    HostFileService machineFiles{machine, hostTemporaryFolder()};
    fs::path tree;
    fs::path target;
};

TEST_F(WindowsLinksTest, AFolderLinkIsListedAsALinkAndIsNoFolder) {
    const std::string path = tree.string();
    EXPECT_EQ(*machineFiles.listDirectory(path, Listing::Visible),
              (std::vector<DirEntry>{{"folder-link", EntryKind::Link}}));
    EXPECT_FALSE(machineFiles.folderExists(path + "\\folder-link"));
    EXPECT_FALSE(machineFiles.fileExists(path + "\\folder-link"));
    EXPECT_EQ(machineFiles.removeDir(path + "\\folder-link"), FileError::PathNotFound);
    EXPECT_EQ(CountFiles(machineFiles, path), 0);
}

TEST_F(WindowsLinksTest, NeitherACopyNorARemovalOfTheTreeWalksIntoTheLink) {
    const std::string path = tree.string();
    const fs::path copy = drives.newMedium("copy");
    EXPECT_EQ(CopyTree(machineFiles, op, path, copy.string(), 10), CopyOutcome::Copied);
    EXPECT_TRUE(fs::is_empty(copy));
    // Wine cannot take away a link of the Linux file system, so the tree may stay there; it says
    // so. What the link points to stays on every host.
    const bool removed = DeleteTree(machineFiles, path, Listing::WithHidden);
    EXPECT_EQ(removed, !entryExists(tree));
    EXPECT_EQ(readFile(target / "keep.txt"), "keep");
}

}  // namespace
}  // namespace xq::test
