#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "app/message_panes.h"
#include "support/scripted_dialogs.h"
#include "support/test_drives.h"
#include "ui/operator.h"
#include "ui/window_model.h"

namespace xq::test {

// Message boxes answered as ScriptedDialogs answers them, noting what the message pane showed at
// each box: whether a prompt came before the box or after it.
class PaneRecordingDialogs : public ScriptedDialogs {
  public:
    explicit PaneRecordingDialogs(const WindowModel& window) : window_(window) {}

    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override {
        mainTextAtBox.push_back(window_.mainText.text);
        return ScriptedDialogs::messageBox(text, title, style);
    }

    std::vector<std::string> mainTextAtBox;

  private:
    const WindowModel& window_;
};

// The machine of TestDrives with the real panes, so log texts are exactly the operator's.
class ArchiveTest : public ::testing::Test {
  protected:
    ArchiveTest() {
        window.DriveList.entries = {"a:", "c: [SYSTEM]", "e: [CARD]"};
        window.DriveList.listIndex = 0;
        window.ProgressBar1.max = 10000;
    }

    std::filesystem::path host(std::string_view windowsPath) const {
        return drives.hostPath(windowsPath);
    }
    const std::string& log() const { return window.logText.text; }

    TestDrives drives;
    FaultyFileService& files = drives.files;
    WindowModel window;
    MessagePanes panes{window};
    PaneRecordingDialogs dialogs{window};
    Operator op{panes, dialogs, window};
};

}  // namespace xq::test
