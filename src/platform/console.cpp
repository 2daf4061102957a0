#include "platform/console.h"

#ifdef _WIN32
#include <io.h>

#include "platform/win32_text.h"
#include "platform/windows_headers.h"
// After windows.h, which it needs.
#include <shellapi.h>
#define XQ_ISATTY _isatty
#else
#include <unistd.h>
#define XQ_ISATTY isatty
#endif

namespace xq {

bool standardInputIsTerminal() {
    return XQ_ISATTY(0) != 0;
}
bool standardOutputIsTerminal() {
    return XQ_ISATTY(1) != 0;
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
