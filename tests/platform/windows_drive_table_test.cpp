// The machine's drives as a Windows program sees them. Under Wine, scripts/test-windows prepares
// the drives these tests look for in its Wine prefix, each over a folder: B: a floppy drive
// labelled "DISK1", N: a network drive "SHARE" and R: a removable drive "CARD".

#include "platform/windows_drive_table.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "platform/host_file_service.h"
#include "platform/windows_headers.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;

// Whether drive `letter` is there with this type and volume label, as the test drives are.
bool prepared(char letter, UINT type, const wchar_t* label) {
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    wchar_t volume[MAX_PATH + 1] = {};
    return ::GetDriveTypeW(root) == type &&
           ::GetVolumeInformationW(root, volume, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                   0) &&
           std::wstring(volume) == label;
}

constexpr const char* kNotPrepared =
    " is not prepared here (scripts/test-windows does it for Wine)";

class WindowsDriveTableTest : public ::testing::Test {
  protected:
    WindowsDriveTable table;
    HostFileService files{table, hostTemporaryFolder()};
};

TEST_F(WindowsDriveTableTest, ARemovableDriveOverAFolderIsReadyWithItsLabelAndItsFiles) {
    if (!prepared('R', DRIVE_REMOVABLE, L"CARD")) {
        GTEST_SKIP() << "Removable drive R: \"CARD\"" << kNotPrepared;
    }
    const std::optional<Drive> card = table.drive('r');
    ASSERT_TRUE(card);
    EXPECT_EQ(card->letter, 'R');
    EXPECT_EQ(card->type, drive_type::Removable);
    EXPECT_TRUE(card->ready);
    EXPECT_EQ(card->volumeName, "CARD");
    EXPECT_GT(card->freeBytes, 0u);
    EXPECT_EQ(card->hostRoot, "R:\\");
    EXPECT_EQ(table.hostRoot('R'), "R:\\");

    // A folder of this test's own, as tests run side by side on the same drive.
    const TempDir temp;
    const std::string folder = "R:\\" + temp.path().filename().string();
    ASSERT_EQ(files.makeDir(folder, DirAccess::Shared), FileError::None);
    writeFile(fs::path(folder) / "disk0001.dat", "XQ3100");
    EXPECT_TRUE(files.folderExists(folder));
    EXPECT_TRUE(files.fileExists(folder + "\\DISK0001.DAT"));
    EXPECT_EQ(*files.fileLength(folder + "\\disk0001.dat"), 6u);
    EXPECT_EQ(files.deleteFile(folder + "\\disk0001.dat"), FileError::None);
    EXPECT_EQ(files.removeDir(folder), FileError::None);
    EXPECT_FALSE(fs::exists(fs::path(folder)));
}

TEST_F(WindowsDriveTableTest, ALetterThatIsNotThereIsNeitherListedNorResolved) {
    const DWORD present = ::GetLogicalDrives();
    char missing = 'Z';
    while (missing >= 'A' && (present & (DWORD{1} << (missing - 'A'))) != 0) {
        --missing;
    }
    ASSERT_GE(missing, 'A') << "every drive letter is in use";
    const std::vector<Drive> all = table.drives();
    EXPECT_TRUE(std::none_of(all.begin(), all.end(),
                             [&](const Drive& drive) { return drive.letter == missing; }));
    EXPECT_TRUE(std::is_sorted(all.begin(), all.end(),
                               [](const Drive& a, const Drive& b) { return a.letter < b.letter; }));
    EXPECT_FALSE(table.drive(missing));
    EXPECT_FALSE(table.hostRoot(missing));
    const std::string path = std::string{missing, ':', '\\'} + "disk0001.dat";
    EXPECT_FALSE(files.fileExists(path));
    EXPECT_EQ(files.openRead(path, ReadMode::Cached).error(), FileError::DeviceUnavailable);
    EXPECT_EQ(files.makeDir(std::string{missing, ':', '\\', 'x'}, DirAccess::Shared),
              FileError::DeviceUnavailable);
}

TEST_F(WindowsDriveTableTest, TheListLeavesFloppyAndNetworkDrivesUnaskedUntilOneIsPicked) {
    if (!prepared('B', DRIVE_REMOVABLE, L"DISK1") || !prepared('N', DRIVE_REMOTE, L"SHARE") ||
        !prepared('R', DRIVE_REMOVABLE, L"CARD")) {
        GTEST_SKIP() << "Floppy drive B: \"DISK1\", network drive N: \"SHARE\" or removable drive "
                        "R: \"CARD\""
                     << kNotPrepared;
    }
    const std::vector<Drive> all = table.drives();
    const auto listed = [&all](char letter) {
        return *std::find_if(all.begin(), all.end(),
                             [letter](const Drive& drive) { return drive.letter == letter; });
    };
    for (const char letter : {'B', 'N'}) {
        const Drive unasked = listed(letter);
        EXPECT_FALSE(unasked.ready) << letter;
        EXPECT_EQ(unasked.volumeName, "") << letter;
        EXPECT_EQ(unasked.freeBytes, 0u) << letter;
    }
    EXPECT_EQ(listed('B').type, drive_type::Removable);
    EXPECT_EQ(listed('N').type, drive_type::Network);
    // Any other removable drive, a card reader, answers at once and is asked.
    EXPECT_EQ(listed('R').volumeName, "CARD");

    EXPECT_EQ(table.drive('B')->volumeName, "DISK1");
    EXPECT_EQ(table.drive('N')->volumeName, "SHARE");
    EXPECT_TRUE(table.drive('N')->ready);
    EXPECT_EQ(table.hostRoot('B'), "B:\\");
}

}  // namespace
}  // namespace xq::test
