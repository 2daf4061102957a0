#include "win32/window_driver.h"

#include <algorithm>
#include <thread>

#include "platform/win32_text.h"

namespace xq::test {

namespace {

using native::utf16FromUtf8;
using native::utf8FromUtf16;

// The test measures the window program's windows in their own pixels: without this, a test that
// is not aware of the monitor's scale would get every size converted to 96 DPI.
const bool perMonitorAware = [] {
    using SetContext = BOOL(WINAPI*)(HANDLE);
    const FARPROC found =
        ::GetProcAddress(::GetModuleHandleW(L"user32.dll"), "SetProcessDpiAwarenessContext");
    const auto set = reinterpret_cast<SetContext>(reinterpret_cast<void (*)()>(found));
    return set != nullptr && set(reinterpret_cast<HANDLE>(-4)) != FALSE;  // per monitor, v2
}();

struct Search {
    DWORD process;
    const char* className;
    std::vector<HWND> found;
};

BOOL CALLBACK collect(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char className[64] = {};
    ::GetClassNameA(window, className, sizeof className);
    if (process == search.process && std::string(className) == search.className) {
        search.found.push_back(window);
    }
    return TRUE;
}

BOOL CALLBACK collectChildren(HWND window, LPARAM parameter) {
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

}  // namespace

Program::Program(const std::string& program, const std::vector<std::string>& arguments,
                 const EnvironmentChanges& environment) {
    const std::wstring application = utf16FromUtf8(program);
    std::wstring commandLine = commandLineOf(program, arguments);
    std::wstring block = environmentBlockWith(environment);
    // What the program writes is not the test's output.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const HANDLE nothing =
        ::CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      &inherited, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nothing;
    PROCESS_INFORMATION info{};
    if (::CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                         CREATE_UNICODE_ENVIRONMENT, block.data(), nullptr, &startup, &info)) {
        ::CloseHandle(info.hThread);
        process_ = info.hProcess;
        id_ = info.dwProcessId;
    }
    ::CloseHandle(nothing);
}

Program::~Program() {
    if (process_ != nullptr) {
        if (::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            ::TerminateProcess(process_, 255);
            ::WaitForSingleObject(process_, 10000);
        }
        ::CloseHandle(process_);
    }
}

std::optional<DWORD> Program::waitForExit(std::chrono::milliseconds limit) const {
    if (process_ == nullptr ||
        ::WaitForSingleObject(process_, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD status = 0;
    ::GetExitCodeProcess(process_, &status);
    return status;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

std::vector<HWND> topLevelWindows(DWORD process, const char* className) {
    Search search{process, className, {}};
    ::EnumWindows(&collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND topLevelWindow(DWORD process, const char* className, const std::string& caption) {
    for (HWND window : topLevelWindows(process, className)) {
        if (::IsWindowVisible(window) && textOf(window) == caption) {
            return window;
        }
    }
    return nullptr;
}

std::string textOf(HWND window) {
    // The program answers when its thread handles messages; while an action runs, it does not.
    DWORD_PTR length = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length) ==
        0) {
        return {};
    }
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (::SendMessageTimeoutW(window, WM_GETTEXT, text.size(),
                              reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                              &copied) == 0) {
        return {};
    }
    text.resize(copied);
    return utf8FromUtf16(text);
}

std::optional<MessageBoxShown> waitForMessageBox(DWORD process, const std::string& title,
                                                 std::chrono::milliseconds limit) {
    MessageBoxShown shown;
    if (!waitUntil(
            [&] { return (shown.box = topLevelWindow(process, "#32770", title)) != nullptr; },
            limit)) {
        return std::nullopt;
    }
    // The box's text is its one static control with text (the other holds the icon).
    std::vector<HWND> children;
    ::EnumChildWindows(shown.box, &collectChildren, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        char className[16] = {};
        ::GetClassNameA(child, className, sizeof className);
        if (_stricmp(className, "Static") == 0 && !textOf(child).empty()) {
            shown.text = textOf(child);
        }
    }
    return shown;
}

bool answer(const MessageBoxShown& shown, int button) {
    press(::GetDlgItem(shown.box, button));
    return waitUntil([&] { return !::IsWindow(shown.box); });
}

void press(HWND button) {
    ::PostMessageW(button, BM_CLICK, 0, 0);
}

void click(HWND button) {
    DWORD_PTR result = 0;
    ::SendMessageTimeoutW(button, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 30000, &result);
}

std::vector<std::string> driveListEntries(HWND list) {
    std::vector<std::string> entries;
    const auto count = static_cast<int>(::SendMessageW(list, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const auto length = ::SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::wstring entry(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        ::SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i),
                       reinterpret_cast<LPARAM>(entry.data()));
        entry.resize(static_cast<std::size_t>(std::max<LRESULT>(length, 0)));
        entries.push_back(utf8FromUtf16(entry));
    }
    return entries;
}

std::optional<std::string> selectDrive(HWND form, HWND list,
                                       const std::function<bool(const std::string&)>& wanted) {
    const std::vector<std::string> entries = driveListEntries(list);
    const auto found = std::find_if(entries.begin(), entries.end(), wanted);
    if (found == entries.end()) {
        return std::nullopt;
    }
    // What the list does when the operator picks an entry: it selects it, then tells its window.
    ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(found - entries.begin()), 0);
    ::PostMessageW(form, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(list), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list));
    return *found;
}

SIZE clientSize(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT rectInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool haveDisplay() {
    const HWND probe = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                         nullptr, nullptr);
    if (probe == nullptr) {
        return false;
    }
    ::DestroyWindow(probe);
    return true;
}

}  // namespace xq::test
