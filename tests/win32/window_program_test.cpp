// The window program on Windows, run as the operator runs it: its own process, its own window,
// the system's own message boxes.

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/instance_lock.h"
#include "platform/win32_text.h"
#include "support/temp_dir.h"
#include "ui/program_identity.h"
#include "win32/window_driver.h"
#include "win32/window_ids.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
namespace control = win32::form_control;

const std::string kTitle(kProgram.title);
const std::string kRefusal = "Can not run muliply instances of " + kTitle;

// A path as the programs take it on their command line and in their environment.
std::string utf8(const fs::path& path) {
    return native::utf8FromUtf16(path.wstring());
}

// The window program and the temporary folder it works in.
EnvironmentChanges temporaryFolder(const fs::path& folder) {
    fs::create_directories(folder);
    return {{"TEMP", utf8(folder)}, {"TMP", utf8(folder)}};
}

class WindowProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(haveDisplay()) << "windows cannot be made here: under Wine, run the tests "
                                      "with a display (xvfb-run)";
    }

    // The program's main window once start-up has given it the title.
    static HWND formOf(const Program& program) {
        HWND form = nullptr;
        waitUntil([&] {
            return (form = topLevelWindow(program.id(), win32::kFormClass, kTitle)) != nullptr;
        });
        return form;
    }

    static bool shows(HWND control, const std::string& text) {
        return waitUntil([&] { return textOf(control) == text; });
    }

    TempDir scratch_;
};

// A drive letter of the machine for the length of a test, as a drive plugged in would be.
class ArrivingDrive {
  public:
    explicit ArrivingDrive(const fs::path& folder) {
        const DWORD present = ::GetLogicalDrives();
        for (char letter = 'Q'; letter <= 'Y'; ++letter) {
            if ((present & (1u << (letter - 'A'))) == 0) {
                device_ = {static_cast<wchar_t>(letter), L':'};
                break;
            }
        }
        if (!device_.empty() && !::DefineDosDeviceW(0, device_.c_str(), folder.wstring().c_str())) {
            device_.clear();
        }
    }
    ArrivingDrive(const ArrivingDrive&) = delete;
    ArrivingDrive& operator=(const ArrivingDrive&) = delete;
    ~ArrivingDrive() { leave(); }

    // The drive list's entry for the drive ("q:"); empty when no letter could be had.
    std::string entry() const {
        return device_.empty() ? std::string()
                               : std::string{static_cast<char>(device_[0] - 'A' + 'a'), ':'};
    }
    void leave() {
        if (!device_.empty()) {
            ::DefineDosDeviceW(DDD_REMOVE_DEFINITION, device_.c_str(), nullptr);
            device_.clear();
        }
    }

    // What the system tells every top-level window when a volume arrives or leaves.
    static void tell(HWND window, WPARAM event, wchar_t letter) {
        DEV_BROADCAST_VOLUME volume{};
        volume.dbcv_size = sizeof volume;
        volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
        volume.dbcv_unitmask = 1u << (letter - L'A');
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(window, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(&volume),
                              SMTO_ABORTIFHUNG, 5000, &result);
    }
    wchar_t letter() const { return device_.empty() ? L'\0' : device_[0]; }

  private:
    std::wstring device_;
};

TEST_F(WindowProgram, ConvertsTheSampleSetThroughItsButtonsAndMessageBoxes) {
    const fs::path sample = XQ_SAMPLE_SET_DIR;
    const fs::path card = scratch_ / "card";
    fs::create_directories(card / "backup" / "single");
    writeFile(card / "backup" / "single" / "old.dat", "old");
    // A temporary folder whose name is not ASCII: the log's lines name it.
    const fs::path temporary = scratch_.path() / L"temp-\u00E9t\u00E9";
    Program program(XQ_WINDOW_PROGRAM,
                    {"--diskettes", utf8(sample / "diskette1"), utf8(sample / "diskette2"),
                     utf8(sample / "diskette3"), "--card", utf8(card)},
                    temporaryFolder(temporary));
    ASSERT_TRUE(program.started());
    const HWND form = formOf(program);
    ASSERT_NE(form, nullptr);
    const auto item = [form](int id) { return ::GetDlgItem(form, id); };
    const HWND message = item(control::mainText);
    ASSERT_TRUE(
        shows(message, "Please select the floppy disk drive \r\nand press the OK button\r\n"));

    // The compact form at the window's scale: twips are 1/1440 inch.
    const UINT dpi = ::GetDpiForWindow(form);
    const auto pixels = [dpi](int twips) { return ::MulDiv(twips, static_cast<int>(dpi), 1440); };
    EXPECT_EQ(clientSize(form).cy, pixels(6990));
    EXPECT_EQ(rectInParent(item(control::Line1)).top, pixels(6240));
    EXPECT_EQ(rectInParent(item(control::Line1 + 1)).bottom, pixels(6240));
    EXPECT_FALSE(::IsWindowVisible(item(control::logText)));

    // The log pane, shown for the whole conversion: the form grows by it.
    const HWND log = item(control::logText);
    press(item(control::buttonLog));
    EXPECT_TRUE(
        waitUntil([&] { return clientSize(form).cy == pixels(9935) && ::IsWindowVisible(log); }));
    EXPECT_EQ(rectInParent(item(control::Line1)).top, pixels(9080));
    EXPECT_EQ(rectInParent(item(control::Line1 + 2)).bottom, pixels(9080));

    // The floppy drive, then the three diskettes (the program puts each into its drive).
    const HWND list = item(control::DriveList);
    ASSERT_TRUE(selectDrive(form, list, [](const std::string& e) { return e.starts_with("a:"); }));
    press(item(control::buttonOK));
    for (int n = 1; n <= 3; ++n) {
        ASSERT_TRUE(shows(message, "Please insert diskette #" + std::to_string(n) +
                                       " and press the OK button\r\n"));
        press(item(control::buttonOK));
    }
    ASSERT_TRUE(
        shows(message, "Please select the Compact Flash\r\ndrive and press the OK button\r\n"));
    EXPECT_EQ(textOf(item(control::Label2)),
              "\r\nArchive ID = 20070717\r\nTotal diskettes num = 3");

    // Closing the window asks first; No keeps it open in the same step.
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    const std::optional<MessageBoxShown> quit = waitForMessageBox(program.id(), "warning!");
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit->text,
              "Database conversion is not complete! \r\nAre you sure you want to quit?");
    ASSERT_TRUE(answer(*quit, IDNO));
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_TRUE(
        shows(message, "Please select the Compact Flash\r\ndrive and press the OK button\r\n"));

    // The card drive; it holds a database already, which the operator agrees to replace.
    const std::optional<std::string> cardEntry =
        selectDrive(form, list, [](const std::string& e) { return e.ends_with("\\card]"); });
    ASSERT_TRUE(cardEntry);
    const std::string letter(1, static_cast<char>(std::toupper((*cardEntry)[0])));
    // While the Replace box waits, a drive arrives and the window is asked to close: both wait
    // until the action has ended, and each is taken in once. The operator keeps the old
    // database, and the window.
    fs::create_directories(scratch_ / "stick");
    ArrivingDrive stick(scratch_ / "stick");
    ASSERT_FALSE(stick.entry().empty()) << "no drive letter could be defined";
    const auto listed = [list](const std::string& entry) {
        const std::vector<std::string> entries = driveListEntries(list);
        return std::any_of(entries.begin(), entries.end(),
                           [&](const std::string& e) { return e.starts_with(entry); });
    };
    press(item(control::buttonOK));
    const std::optional<MessageBoxShown> kept = waitForMessageBox(program.id(), "Replace");
    ASSERT_TRUE(kept);
    ArrivingDrive::tell(form, DBT_DEVICEARRIVAL, stick.letter());
    // Sent, not posted: taken by the window (and held back) by the time the call returns.
    DWORD_PTR closeResult = 0;
    ::SendMessageTimeoutW(form, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 30000, &closeResult);
    EXPECT_FALSE(listed(stick.entry()));
    ASSERT_TRUE(answer(*kept, IDNO));
    const std::optional<MessageBoxShown> closing = waitForMessageBox(program.id(), "warning!");
    ASSERT_TRUE(closing);
    ASSERT_TRUE(answer(*closing, IDNO));
    EXPECT_TRUE(waitUntil([&] { return listed(stick.entry()); }));
    EXPECT_FALSE(waitForMessageBox(program.id(), "warning!", 500ms));
    EXPECT_TRUE(::IsWindowVisible(form));

    ASSERT_TRUE(selectDrive(form, list, [&](const std::string& e) { return e == *cardEntry; }));
    press(item(control::buttonOK));
    const std::optional<MessageBoxShown> replace = waitForMessageBox(program.id(), "Replace");
    ASSERT_TRUE(replace);
    EXPECT_EQ(replace->text, "Directory " + letter +
                                 ":\\backup\\single\\ already exists\r\nReplace old database?");
    ASSERT_TRUE(answer(*replace, IDYES));
    ASSERT_TRUE(shows(message,
                      "Successful database convert\r\nTotal 3 diskettes\r\n"
                      "Press OK for another copy or Exit\r\n"));

    // The card holds what the terminal program writes from the same set, and nothing else.
    const fs::path reference = scratch_ / "reference";
    fs::create_directories(reference);
    Program terminal(XQ_CONVERT_PROGRAM,
                     {"--diskettes", utf8(sample / "diskette1"), utf8(sample / "diskette2"),
                      utf8(sample / "diskette3"), "--card", utf8(reference), "--yes"},
                     temporaryFolder(scratch_ / "reference-temp"));
    ASSERT_EQ(terminal.waitForExit(), 0u);
    EXPECT_EQ(filesUnder(card), filesUnder(reference));
    EXPECT_FALSE(fs::exists(card / "backup" / "single" / "old.dat"));

    // The log holds the whole run, and its newest message is selected, counted in the log's own
    // characters past the non-ASCII lines.
    const std::wstring shownLog = native::utf16FromUtf8(textOf(log));
    EXPECT_NE(shownLog.find(L"QUERY Database conversion is not complete! "), std::wstring::npos);
    EXPECT_NE(shownLog.find(L"temp-\u00E9t\u00E9\\XQ3100_flat"), std::wstring::npos);
    DWORD start = 0;
    DWORD end = 0;
    ::SendMessageW(log, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(shownLog.substr(start, end - start),
              L"Successful database convert\r\nTotal 3 diskettes\r\n"
              L"Press OK for another copy or Exit");
    press(item(control::buttonLog));
    EXPECT_TRUE(
        waitUntil([&] { return clientSize(form).cy == pixels(6990) && !::IsWindowVisible(log); }));
    EXPECT_EQ(rectInParent(item(control::Line1)).top, pixels(6240));

    // The About box: not modal, and one window however often it is asked for.
    ::PostMessageW(form, WM_COMMAND, win32::kAboutCommand, 0);
    ::PostMessageW(form, WM_COMMAND, win32::kAboutCommand, 0);
    HWND about = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        return (about = topLevelWindow(program.id(), win32::kAboutClass, "About " + kTitle)) !=
               nullptr;
    }));
    EXPECT_TRUE(shows(form, kTitle));  // the main window still answers
    EXPECT_EQ(topLevelWindows(program.id(), win32::kAboutClass).size(), 1u);
    EXPECT_TRUE(::IsWindowEnabled(form));
    EXPECT_EQ(textOf(::GetDlgItem(about, win32::about_control::lblVersion)),
              "Version 1.4 ( July 17, 2007 )");
    press(::GetDlgItem(about, win32::about_control::cmdOK));
    EXPECT_TRUE(waitUntil([&] { return !::IsWindow(about); }));

    // Exit after a written card ends at once, without a question, and leaves nothing behind.
    press(item(control::buttonExit));
    EXPECT_EQ(program.waitForExit(), 0u);
    EXPECT_TRUE(fs::is_empty(temporary));
}

TEST_F(WindowProgram, TheDriveListFollowsDrivesThatArriveAndLeave) {
    Program program(XQ_WINDOW_PROGRAM, {}, temporaryFolder(scratch_ / "temp"));
    const HWND form = formOf(program);
    ASSERT_NE(form, nullptr);
    const HWND list = ::GetDlgItem(form, control::DriveList);
    const auto listed = [list](const std::string& entry) {
        const std::vector<std::string> entries = driveListEntries(list);
        return std::any_of(entries.begin(), entries.end(),
                           [&](const std::string& e) { return e.starts_with(entry); });
    };

    fs::create_directories(scratch_ / "stick");
    ArrivingDrive drive(scratch_ / "stick");
    ASSERT_FALSE(drive.entry().empty()) << "no drive letter could be defined";
    const wchar_t letter = drive.letter();
    EXPECT_FALSE(listed(drive.entry()));
    ArrivingDrive::tell(form, DBT_DEVICEARRIVAL, letter);
    EXPECT_TRUE(waitUntil([&] { return listed(drive.entry()); }));

    const std::string entry = drive.entry();
    drive.leave();
    ArrivingDrive::tell(form, DBT_DEVICEREMOVECOMPLETE, letter);
    EXPECT_TRUE(waitUntil([&] { return !listed(entry); }));
}

TEST_F(WindowProgram, TheEndOfTheWindowsSessionAsksAsClosingDoes) {
    Program program(XQ_WINDOW_PROGRAM, {}, temporaryFolder(scratch_ / "temp"));
    const HWND form = formOf(program);
    ASSERT_NE(form, nullptr);
    // The system asks every window whether the session may end, and waits for the answer.
    const auto sessionMayEnd = [&](int button) {
        std::optional<DWORD_PTR> reply;
        std::thread system([&] {
            DWORD_PTR result = 0;
            if (::SendMessageTimeoutW(form, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF, 0, 30000,
                                      &result) != 0) {
                reply = result;
            }
        });
        const std::optional<MessageBoxShown> quit = waitForMessageBox(program.id(), "warning!");
        const bool answered = quit && answer(*quit, button);
        system.join();
        EXPECT_TRUE(answered);
        return reply;
    };

    EXPECT_EQ(sessionMayEnd(IDNO), std::optional<DWORD_PTR>(FALSE));
    EXPECT_TRUE(::IsWindowVisible(form));
    EXPECT_EQ(sessionMayEnd(IDYES), std::optional<DWORD_PTR>(TRUE));
    EXPECT_EQ(program.waitForExit(), 0u);
}

TEST_F(WindowProgram, ASecondCopyShowsTheRefusalAndEnds) {
    Program first(XQ_WINDOW_PROGRAM, {}, temporaryFolder(scratch_ / "first"));
    ASSERT_TRUE(first.started());
    const HWND form = formOf(first);
    ASSERT_NE(form, nullptr);

    // Another temporary folder: only the running copy's window can give it away.
    Program second(XQ_WINDOW_PROGRAM, {}, temporaryFolder(scratch_ / "second"));
    const std::optional<MessageBoxShown> refusal = waitForMessageBox(second.id(), "Error!");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, kRefusal);
    EXPECT_TRUE(topLevelWindows(second.id(), win32::kFormClass).empty() ||
                !::IsWindowVisible(topLevelWindows(second.id(), win32::kFormClass).front()));
    ASSERT_TRUE(answer(*refusal, IDOK));
    EXPECT_EQ(second.waitForExit(), 1u);

    // The first copy goes on; it ends when the operator confirms.
    EXPECT_TRUE(::IsWindowVisible(form));
    ::PostMessageW(form, WM_CLOSE, 0, 0);
    const std::optional<MessageBoxShown> quit = waitForMessageBox(first.id(), "warning!");
    ASSERT_TRUE(quit);
    ASSERT_TRUE(answer(*quit, IDYES));
    EXPECT_EQ(first.waitForExit(), 0u);
}

TEST_F(WindowProgram, ACopyIsRefusedWhileAnotherConvertsInItsTemporaryFolder) {
    // A terminal conversion holds the lock of the working directories, without any window.
    const fs::path temporary = scratch_ / "temp";
    fs::create_directories(temporary);
    InstanceLock held;
    ASSERT_EQ(held.acquire(temporary).outcome, LockOutcome::Acquired);

    Program program(XQ_WINDOW_PROGRAM, {}, temporaryFolder(temporary));
    const std::optional<MessageBoxShown> refusal = waitForMessageBox(program.id(), "Error!");
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->text, kRefusal);
    ASSERT_TRUE(answer(*refusal, IDOK));
    EXPECT_EQ(program.waitForExit(), 1u);
}

}  // namespace
}  // namespace xq::test
