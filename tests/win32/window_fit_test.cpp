// The window on the screens of the field, 1024x768 and 1366x768, at 96, 120, 144 and 192 DPI
// (100 to 200 %): every button lies in the work area, with the log hidden and shown. Each screen
// is a virtual desktop of that size (Wine's explorer /desktop=), and the DPI the desktop's
// setting, read by each program as it starts: this test program runs itself on that desktop and
// starts the window program there.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/win32_text.h"
#include "support/temp_dir.h"
#include "ui/program_identity.h"
#include "win32/window_driver.h"
#include "win32/window_ids.h"

namespace xq::test {
namespace {

namespace fs = std::filesystem;
namespace control = win32::form_control;

constexpr const char* kResult = "XQ_WINDOW_FIT_RESULT";

// The desktop's DPI setting for the programs started from now on; the one before comes back at
// the end.
class DesktopDpi {
  public:
    explicit DesktopDpi(DWORD dpi) { set(dpi); }
    DesktopDpi(const DesktopDpi&) = delete;
    DesktopDpi& operator=(const DesktopDpi&) = delete;
    ~DesktopDpi() { set(96); }

  private:
    static void set(DWORD dpi) {
        ::RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD,
                          &dpi, sizeof dpi);
    }
};

std::string selfProgram() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return native::utf8FromUtf16(path);
}

TEST(WindowFit, EveryButtonIsInTheWorkAreaAtEveryScale) {
    if (environmentVariable(kResult)) {
        GTEST_SKIP() << "the child's own run";
    }
    ASSERT_TRUE(haveDisplay()) << "under Wine, run the tests with a display (xvfb-run)";
    TempDir scratch;
    int run = 0;
    for (const DWORD dpi : {96, 120, 144, 192}) {
        const DesktopDpi setting(dpi);
        for (const char* screen : {"1024x768", "1366x768"}) {
            SCOPED_TRACE(std::string(screen) + " at " + std::to_string(dpi) + " DPI");
            const fs::path result = scratch / ("fit" + std::to_string(++run) + ".txt");
            Program desktop("C:\\windows\\explorer.exe",
                            {"/desktop=xqfit" + std::to_string(run) + "," + screen, selfProgram(),
                             "--gtest_filter=WindowFit.ChildFindsEveryButtonInTheWorkArea"},
                            {{kResult, native::utf8FromUtf16(result.wstring())}});
            ASSERT_TRUE(desktop.started());
            // Written beside it, then renamed: complete once it is there.
            ASSERT_TRUE(waitUntil([&] { return fs::exists(result); }, 90s));
            std::ifstream in(result);
            std::stringstream text;
            text << in.rdbuf();
            EXPECT_EQ(text.str(), "screen " + std::string(screen) + "\n") << text.str();
        }
    }
}

TEST(WindowFit, ChildFindsEveryButtonInTheWorkArea) {
    const std::optional<std::string> resultPath = environmentVariable(kResult);
    if (!resultPath) {
        GTEST_SKIP() << "run by WindowFit.EveryButtonIsInTheWorkAreaAtEveryScale";
    }
    std::ostringstream report;
    TempDir scratch;
    Program program(XQ_WINDOW_PROGRAM, {},
                    {{"TEMP", scratch.path().string()}, {"TMP", scratch.path().string()}});
    HWND form = nullptr;
    waitUntil([&] {
        return (form = topLevelWindow(program.id(), win32::kFormClass,
                                      std::string(kProgram.title))) != nullptr;
    });
    if (form == nullptr) {
        report << "no window\n";
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoW(::MonitorFromWindow(form, MONITOR_DEFAULTTONEAREST), &monitor);
        const RECT work = monitor.rcWork;
        report << "screen " << monitor.rcMonitor.right - monitor.rcMonitor.left << "x"
               << monitor.rcMonitor.bottom - monitor.rcMonitor.top << "\n";
        for (const bool logShown : {false, true}) {
            if (logShown) {
                click(::GetDlgItem(form, control::buttonLog));
            }
            // The frame's sides reach down to its bottom line.
            RECT bottom{};
            ::GetWindowRect(::GetDlgItem(form, control::Line1), &bottom);
            for (const int side : {control::Line1 + 1, control::Line1 + 2}) {
                RECT line{};
                ::GetWindowRect(::GetDlgItem(form, side), &line);
                if (line.bottom < bottom.top || line.bottom > bottom.bottom + 1) {
                    report << "line " << side << (logShown ? " with the log" : "") << " ends at "
                           << line.bottom << ", the bottom line is at " << bottom.top << "\n";
                }
            }
            for (const int id : {control::buttonLog, control::buttonBack, control::buttonOK,
                                 control::buttonExit}) {
                RECT button{};
                ::GetWindowRect(::GetDlgItem(form, id), &button);
                if (button.left < work.left || button.top < work.top || button.right > work.right ||
                    button.bottom > work.bottom) {
                    report << "button " << id << (logShown ? " with the log" : "") << " at "
                           << button.left << "," << button.top << "-" << button.right << ","
                           << button.bottom << " outside " << work.right << "x" << work.bottom
                           << "\n";
                }
            }
        }
    }
    const fs::path written = fs::path(native::utf16FromUtf8(*resultPath));
    std::ofstream(fs::path(written).concat(L".part")) << report.str();
    fs::rename(fs::path(written).concat(L".part"), written);
}

}  // namespace
}  // namespace xq::test
