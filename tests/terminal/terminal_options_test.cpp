#include "terminal/terminal_options.h"

#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "support/disk_set_writer.h"
#include "support/process.h"
#include "support/temp_dir.h"

namespace xq::test {
namespace {

using Arguments = std::vector<std::string>;

// Every form the command line takes, and every way it can be wrong: one line each.
TEST(TerminalOptions, EachFormAndEachError) {
    TempDir temp;
    const std::string card = temp.path().string();
    const WrittenSet set = writeDiskSet(temp / "set", {.files = {{.name = "/a", .content = "a"}}});
    const std::string diskette = set.diskette(1).string();
    struct Row {
        Arguments arguments;
        std::string error;  // empty: accepted
        TerminalTask task = TerminalTask::Convert;
    };
    const std::vector<Row> rows = {
        {{"--floppy", "a:", "--flash=E:"}, ""},
        {{"--diskettes", diskette, "--card=" + card, "--yes", "--quiet"}, ""},
        {{"--floppy=A", "--card", card, "--no", "--verbose", "--"}, ""},
        {{"--list-drives"}, "", TerminalTask::ListDrives},
        {{"--check-card", "E:"}, "", TerminalTask::CheckCard},
        {{"--check-card=" + card}, "", TerminalTask::CheckCard},
        {{"--frobnicate"}, "The following argument was not expected: --frobnicate"},
        {{"--card", card, "--yes", "--", diskette}, ""},
        {{"--card", card, diskette}, ""},
        {{"--diskettes", diskette, "--card", card, "--", diskette},
         "Give the diskette folders either after --diskettes or as operands, not both"},
        {{"--floppy", "A:", "--flash", "E:", "--", "extra"}, "Give either --floppy or --diskettes"},
        {{"--floppy", "AB", "--flash", "E:"}, "--floppy needs a drive letter, such as A:, not AB"},
        {{"--floppy", "A:", "--flash"}, "--flash: 1 required TEXT missing"},
        {{"--floppy", "A:", "--flash", "E:", "--yes", "--no"}, "--yes and --no exclude each other"},
        {{"--floppy", "A:", "--card", card, "--card", card},
         "--card was given twice: give it once"},
        {{"--floppy", "A:", "--flash", "E:", "--verbose", "--quiet"},
         "--verbose and --quiet exclude each other"},
        {{"--flash", "E:"}, "Give either --floppy or --diskettes"},
        {{"--floppy", "A:", "--diskettes", diskette, "--flash", "E:"},
         "Give either --floppy or --diskettes"},
        {{"--floppy", "A:"}, "Give either --flash or --card"},
        {{"--list-drives", "--flash", "E:"},
         "--list-drives takes no other drive or folder options"},
        {{"--check-card", card + "/nowhere"}, "Card folder " + card + "/nowhere does not exist"},
        {{"--floppy", "A:", "--card", card + "/nowhere"},
         "Card folder " + card + "/nowhere does not exist"},
        {{"--diskettes", card, "--flash", "E:"},
         "Folder " + card + " is not diskette #1: it holds no disk0001.dat"},
    };
    for (const Row& row : rows) {
        std::string line;
        for (const std::string& argument : row.arguments) {
            line += argument + " ";
        }
        SCOPED_TRACE(line);
        const TerminalOptionsResult parsed = parseTerminalOptions(row.arguments);
        EXPECT_EQ(parsed.error, row.error);
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
        if (row.error.empty()) {
            EXPECT_EQ(parsed.options.task, row.task);
        }
    }
    // Help and version win over anything else on the line, a folder taken for -h included.
    for (const Arguments& help : {Arguments{"-h"}, Arguments{"--diskettes", diskette, "-h"},
                                  Arguments{"--bad", "--help"}}) {
        EXPECT_TRUE(parseTerminalOptions(help).options.help);
    }
    for (const Arguments& version : {Arguments{"-V"}, Arguments{"--frobnicate", "--version"},
                                     Arguments{"-Vh"}, Arguments{"--version", "--help"}}) {
        EXPECT_TRUE(parseTerminalOptions(version).options.version);
    }
    // The help fits a terminal of 80 columns.
    std::istringstream help(terminalUsage());
    for (std::string line; std::getline(help, line);) {
        EXPECT_LE(line.size(), 80u) << line;
    }
    // The first of them wins, as in GNU tools.
    EXPECT_TRUE(parseTerminalOptions({"-hV"}).options.help);
    EXPECT_FALSE(parseTerminalOptions({"-hV"}).options.version);
}

// Folders the conversion would change under itself are refused before anything is touched: the
// working folders in the temporary folder, which every conversion empties and removes, and a card
// folder that is, holds or lies inside a diskette folder.
TEST(TerminalOptions, FoldersTheConversionWouldChangeUnderItself) {
    TempDir temp;
    const ScopedEnvironmentVariable tmpdir("TMPDIR", temp.path().string());
    const ScopedEnvironmentVariable tmp("TMP", temp.path().string());  // the one Windows reads
    const std::string canonical = std::filesystem::canonical(temp.path()).string();
    const auto working = [&](const std::string& name) {
        return (std::filesystem::path(canonical) / name).string() +
               ", which every conversion empties and removes";
    };
    const WrittenSet set = writeDiskSet(temp / "set", {.files = {{.name = "/a", .content = "a"}}});
    const WrittenSet inFlat =
        writeDiskSet(temp / "XQ3100_flat", {.files = {{.name = "/a", .content = "a"}}});
    std::filesystem::create_directories(temp / "xq3100_DISK2");
    std::filesystem::create_directories(set.diskette(1) / "card");
    std::filesystem::create_directories(temp / "card");
    const std::string diskette = set.diskette(1).string();
    const std::string flatDiskette = inFlat.diskette(1).string();
    const std::string workingCard = (temp / "xq3100_DISK2").string();
    const std::string innerCard = (set.diskette(1) / "card").string();
    const std::string outerCard = (temp / "set").string();
    std::filesystem::create_directories(temp / "set" / "backup");
    const WrittenSet onTheCard =
        writeDiskSet(temp / "set" / "backup", {.files = {{.name = "/a", .content = "a"}}});
    const std::string cardDiskette = onTheCard.diskette(1).string();
    struct Row {
        Arguments arguments;
        std::string error;
    };
    const std::vector<Row> rows = {
        {{"--diskettes", flatDiskette, "--flash", "E:"},
         "Diskette folder " + flatDiskette + " lies inside the converter's working folder " +
             working("XQ3100_flat")},
        {{"--floppy", "A:", "--card", workingCard},
         "Card folder " + workingCard + " is the converter's working folder " +
             working("xq3100_DISK2")},
        {{"--diskettes", diskette, "--card", innerCard},
         "Card folder " + innerCard + " and diskette folder " + diskette +
             " overlap: the card is written, and the diskettes must stay as they are"},
        {{"--diskettes", cardDiskette, "--card", outerCard},
         "Card folder " + outerCard + " and diskette folder " + cardDiskette +
             " overlap: the card is written, and the diskettes must stay as they are"},
        {{"--diskettes", diskette, "--card", outerCard}, ""},
        {{"--diskettes", diskette, "--card", (temp / "card").string()}, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments.back());
        EXPECT_EQ(parseTerminalOptions(row.arguments).error, row.error);
    }
}

}  // namespace
}  // namespace xq::test
