// The converter's window on Windows.

#include <string>
#include <vector>

#include "app/drive_options.h"
#include "app/virtual_drives.h"
#include "app/wizard.h"
#include "platform/host_file_service.h"
#include "platform/instance_lock.h"
#include "platform/result.h"
#include "platform/win32_text.h"
#include "ui/program_identity.h"
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

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    using namespace xq;
    win32::MessageBoxes dialogs;

    // The window takes the terminal front end's drive options: --diskettes DIR... --card DIR.
    const DriveOptionsResult options = parseDriveOptions(commandLineArguments());
    if (!options.error.empty() || !options.rest.empty()) {
        // A window program has no terminal to write to.
        passOver(dialogs.messageBox(
            (options.error.empty() ? "Unknown argument " + options.rest.front() : options.error) +
                "\r\n\r\nUsage: xq3100 [--diskettes DIR...] [--card DIR]",
            kProgram.title, box_style::OkStop));
        return 2;
    }

    const INITCOMMONCONTROLSEX controls{
        sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);
    // Every action runs on this thread to its end, disk work included, and the window is drawn
    // meanwhile only where the action repaints it. The system would otherwise put a "Not
    // responding" copy in its place after a few seconds and offer to end the program in the
    // middle of writing a card.
    ::DisableProcessWindowsGhosting();

    const std::unique_ptr<DriveTable> machine = makeHostDriveTable();
    VirtualDrives drives(*machine, options.drives);
    HostFileService files(drives.table(), hostTemporaryFolder());
    WindowModel model;
    Wizard wizard(model, drives.table(), files, dialogs);
    wizard.onDisketteRequested([&drives](int n) { drives.disketteRequested(n); });
    win32::MainWindow window(wizard, model, instance);
    if (!window.create()) {
        passOver(
            dialogs.messageBox("The window cannot be created.", kErrorTitle, box_style::OkStop));
        return 1;
    }

    // A copy that shows its window already is found by its class and title; the window made just
    // now still has its design-time caption and is not found.
    if (win32::anotherCopyShowsItsWindow(window.handle(), kProgram.title)) {
        passOver(dialogs.messageBox(singleInstanceRefusal(), kErrorTitle, box_style::OkStop));
        return 1;
    }
    // One copy at a time in the working directories of the temporary folder, window or terminal
    // program, and whoever started it: the lock covers them, and is taken before any of them is
    // touched.
    InstanceLock instanceLock;
    if (const LockResult locked = lockWorkingDirectories(instanceLock, files);
        locked.outcome != LockOutcome::Acquired) {
        const std::string refusal = locked.outcome == LockOutcome::HeldByAnotherCopy
                                        ? singleInstanceRefusal()
                                        : locked.message;
        passOver(dialogs.messageBox(refusal, kErrorTitle, box_style::OkStop));
        return 1;
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
    return 0;
}
