// The converter's window on Windows.

#include <string>
#include <vector>

#include "app/converter_setup.h"
#include "app/exit_status.h"
#include "command_line/window_options.h"
#include "platform/result.h"
#include "platform/shown_text.h"
#include "platform/win32_text.h"
#include "ui/program_identity.h"
#include "ui/version_text.h"
#include "win32/main_window.h"
#include "win32/message_boxes.h"
#include "win32/single_instance.h"
#include "win32/windows_api.h"

namespace {

// The command line as UTF-8 arguments, the program's name left out.
std::vector<std::string> commandLineArguments() {
    int count = 0;
    wchar_t** arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> result;
    for (int i = 1; arguments != nullptr && i < count; ++i) {
        result.push_back(xq::native::utf8FromUtf16(arguments[i]));
    }
    ::LocalFree(arguments);
    return result;
}

// What --help, --version and bad arguments answer. A window program started from a console has
// no output of its own: the text goes where its output was sent (a pipe, a file, Wine's terminal),
// else into a message box.
void tell(xq::win32::MessageBoxes& boxes, const std::string& text, bool error) {
    const HANDLE output = ::GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD written = 0;
    if (output == nullptr || output == INVALID_HANDLE_VALUE ||
        !::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) {
        std::string shown = text;
        // The box breaks lines at CR LF.
        for (std::size_t at = shown.find('\n'); at != std::string::npos;
             at = shown.find('\n', at + 2)) {
            shown.insert(at, 1, '\r');
        }
        xq::passOver(
            boxes.messageBox(shown, xq::kProgram.title,
                             error ? xq::box_style::OkStop : xq::box_style::OkInformation));
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace xq;
    win32::MessageBoxes dialogs;

    const WindowOptionsResult parsed = parseWindowOptions(commandLineArguments());
    if (parsed.options.help) {
        tell(dialogs, windowUsage(), false);
        return exit_status::Success;
    }
    if (parsed.options.version) {
        tell(dialogs, versionText("xq3100"), false);
        return exit_status::Success;
    }
    if (!parsed.error.empty()) {
        tell(dialogs,
             "xq3100: " + shownText(parsed.error) + "\nTry 'xq3100 --help' for more information.\n",
             true);
        return exit_status::BadArguments;
    }
    const WindowOptions& options = parsed.options;

    const INITCOMMONCONTROLSEX controls{
        sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Every action runs on this thread to its end, disk work included, and the window is drawn
    // meanwhile only where the action repaints it. The system would otherwise put a "Not
    // responding" copy in its place after a few seconds and offer to end the program in the
    // middle of writing a card.
    ::DisableProcessWindowsGhosting();

    ConverterSetup setup(options.drives);
    Wizard& wizard = setup.makeWizard(dialogs);
    win32::MainWindow window(wizard, setup.model(), instance);
    if (!window.create()) {
        passOver(
            dialogs.messageBox("The window cannot be created.", kErrorTitle, box_style::OkStop));
        return exit_status::Failed;
    }

    // A copy that shows its window already is found by its class and title; the window made just
    // now still has its design-time caption and is not found.
    if (win32::anotherCopyShowsItsWindow(window.handle(), kProgram.title)) {
        passOver(dialogs.messageBox(singleInstanceRefusal(), kErrorTitle, box_style::OkStop));
        return exit_status::Failed;
    }
    // One copy at a time in the working directories of the temporary folder, window or terminal
    // program, and whoever started it.
    if (const std::optional<std::string> refusal = setup.lock()) {
        passOver(dialogs.messageBox(*refusal, kErrorTitle, box_style::OkStop));
        return exit_status::Failed;
    }

    dialogs.setOwner(window.handle());
    window.show(showCommand);
    wizard.startUp();
    window.syncFromModel();

    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!window.handleDialogKeys(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return exit_status::Success;
}
