#include "platform/console.h"

#ifdef _WIN32
#include "platform/win32_text.h"
#include "platform/windows_headers.h"
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace xq {

namespace {

// Whether the standard stream (0 input, 1 output) is a terminal. On Windows a console, and nothing
// else: the C runtime's _isatty answers yes for every character device, NUL included, so a program
// started with its input from NUL would wait for an operator.
bool isTerminal(int stream) {
#ifdef _WIN32
    DWORD mode = 0;
    return ::GetConsoleMode(::GetStdHandle(stream == 0 ? STD_INPUT_HANDLE : STD_OUTPUT_HANDLE),
                            &mode) != 0;
#else
    return ::isatty(stream) != 0;
#endif
}

}  // namespace

bool standardInputIsTerminal() {
    return isTerminal(0);
}
bool standardOutputIsTerminal() {
    return isTerminal(1);
}

int terminalColumns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!::GetConsoleScreenBufferInfo(::GetStdHandle(STD_OUTPUT_HANDLE), &info)) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    winsize size{};
    return ::ioctl(1, TIOCGWINSZ, &size) == 0 ? size.ws_col : 0;
#endif
}

std::vector<std::string> commandLineArguments(int argc, char* argv[]) {
#ifdef _WIN32
    int count = 0;
    if (wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        std::vector<std::string> arguments;
        for (int i = 1; i < count; ++i) {
            arguments.push_back(native::utf8FromUtf16(wide[i]));
        }
        ::LocalFree(wide);
        return arguments;
    }
#endif
    return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace xq
