#pragma once

// Driving the window program from outside, as an operator (or the system) would: it runs as a
// process of its own, and the test finds its windows, reads its controls, presses its buttons and
// answers its message boxes with window messages.

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "support/process.h"
#include "win32/windows_api.h"

namespace xq::test {

using namespace std::chrono_literals;

// A program running as a child process, with some environment variables changed. It is ended if
// it still runs at the end.
class Program {
  public:
    Program(const std::string& program, const std::vector<std::string>& arguments,
            const EnvironmentChanges& environment);
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program();

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    // The exit status, once the program has ended within `limit`.
    std::optional<DWORD> waitForExit(std::chrono::milliseconds limit = 30s) const;

  private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

// Whether `condition` comes true within `limit`; it is tried again every few milliseconds.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 30s);

// The visible top-level window of process `process` with this class and caption, if there is one.
HWND topLevelWindow(DWORD process, const char* className, const std::string& caption);
// All top-level windows of the process with this class, visible or not.
std::vector<HWND> topLevelWindows(DWORD process, const char* className);

// The text of a window or control (UTF-8); empty while the program is too busy to answer.
std::string textOf(HWND window);

// A message box the program shows: its window and its text.
struct MessageBoxShown {
    HWND box = nullptr;
    std::string text;
};
// Waits for the program's message box titled `title`.
std::optional<MessageBoxShown> waitForMessageBox(DWORD process, const std::string& title,
                                                 std::chrono::milliseconds limit = 30s);
// Presses the box's button `button` (IDOK, IDYES, ...) and waits for the box to go.
bool answer(const MessageBoxShown& shown, int button);

// Presses a button as a click on it would.
void press(HWND button);
// Clicks a button and returns once the window has handled the click (for a click that opens no
// box): what it changes is there when the call returns.
void click(HWND button);
// The entries of the drive list, as it shows them.
std::vector<std::string> driveListEntries(HWND list);
// Selects the drive list's entry whose text satisfies `wanted`, as the operator picking it would;
// returns the entry, or nothing when no entry fits.
std::optional<std::string> selectDrive(HWND form, HWND list,
                                       const std::function<bool(const std::string&)>& wanted);

// The client area of a window, and where a child control lies in it.
SIZE clientSize(HWND window);
RECT rectInParent(HWND control);

// Whether windows can be made at all here: under Wine they need a display (xvfb-run).
bool haveDisplay();

}  // namespace xq::test
