#pragma once

#include <filesystem>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "app/message_panes.h"
#include "archive/diskette_reader.h"
#include "convert/conversion_context.h"
#include "support/disk_set_writer.h"
#include "support/scripted_dialogs.h"
#include "support/test_drives.h"

namespace xq::test {

namespace fs = std::filesystem;

// A set read into the working directories by the diskette reader, ready for the conversion steps.
class ConvertTest : public ::testing::Test {
  protected:
    void readSet(const DiskSet& description) {
        set = writeDiskSet(drives.newMedium("set"), description);
        for (int n = 1; n <= set.disketteCount(); ++n) {
            drives.insertFloppy(set.diskette(n));
            ASSERT_GE(static_cast<int>(ReadDiskette(reader, static_cast<std::int16_t>(n))), 0)
                << log();
        }
        context.diskNumber = context.disketteDirectories =
            static_cast<std::int16_t>(set.disketteCount());
    }

    // Every file below a folder, hidden ones included, by relative path.
    std::map<std::string, std::string> treeOf(std::string_view windowsPath) const {
        std::map<std::string, std::string> files;
        const fs::path folder = host(windowsPath);
        for (const auto& entry :
             fs::recursive_directory_iterator(folder, fs::directory_options::none, ignoredError)) {
            if (entry.is_regular_file()) {
                files[fs::relative(entry.path(), folder).generic_string()] = readFile(entry.path());
            }
        }
        return files;
    }
    fs::path host(std::string_view windowsPath) const { return drives.hostPath(windowsPath); }
    const std::string& log() const { return window.logText.text; }
    bool logged(std::string_view text) const { return log().find(text) != std::string::npos; }

    mutable std::error_code ignoredError;  // a folder that does not exist holds nothing
    TestDrives drives;
    WindowModel window;
    MessagePanes panes{window};
    ScriptedDialogs dialogs;
    Operator op{panes, dialogs, window};
    ArchiveState archive;
    bool keyCodeIsRec = false;
    std::string floppyDrive = "A:";
    std::int16_t incompleteDiskette = 0;
    DisketteReadContext reader{drives.files, op, archive, floppyDrive, incompleteDiskette};
    ConversionContext context{drives.files, op, archive, keyCodeIsRec, 0, "E:", 0};
    WrittenSet set;
};

// Three diskettes of 1000 bytes: main.dat is split over all three.
inline DiskSet splitSet() {
    std::string main(2400, '\0');
    for (std::size_t i = 0; i < main.size(); ++i) {
        main[i] = static_cast<char>(i * 37 + 11);
    }
    return {.capacity = 1000,
            .files = {{.name = "/keycode.rec", .content = "KEY"},
                      {.name = "/db/main.dat", .content = main, .secondString = "MAIN\\DB"}}};
}

}  // namespace xq::test
