// The converter in a terminal: the same wizard as the window, driven from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "app/virtual_drives.h"
#include "app/wizard.h"
#include "platform/console.h"
#include "platform/host_file_service.h"
#include "platform/instance_lock.h"
#include "platform/interruption.h"
#include "terminal/terminal_conversion.h"
#include "terminal/terminal_options.h"
#include "ui/version_text.h"

int main(int argc, char* argv[]) {
    using namespace xq;
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const TerminalOptionsResult parsed = parseTerminalOptions(arguments);
    if (parsed.options.help) {
        std::cout << terminalUsage();
        return 0;
    }
    if (parsed.options.version) {
        std::cout << versionText("xq3100-convert");
        return 0;
    }
    if (!parsed.error.empty()) {
        std::cerr << "xq3100-convert: " << parsed.error << "\n\n" << terminalUsage();
        return exit_status::BadArguments;
    }
    const TerminalOptions& options = parsed.options;

    installInterruptHandlers();
    const std::unique_ptr<DriveTable> machine = makeHostDriveTable();
    VirtualDrives drives(*machine, options.drives);
    HostFileService files(drives.table(), hostTemporaryFolder());

    // Before any working directory is touched: one conversion at a time in a temporary folder.
    InstanceLock instance;
    if (const LockResult locked = lockWorkingDirectories(instance, files);
        locked.outcome != LockOutcome::Acquired) {
        std::cerr << (locked.outcome == LockOutcome::HeldByAnotherCopy
                          ? singleInstanceRefusal()
                          : terminalText(locked.message))
                  << '\n';
        return exit_status::Failed;
    }

    const bool interactive = options.answers == AnswerPolicy::Ask && standardInputIsTerminal();
    WindowModel window;
    TerminalView view(window, std::cout, options.verbose, standardOutputIsTerminal());
    window.observer = &view;
    TerminalDialogs dialogs(view, std::cin, std::cout, options.answers);
    Wizard wizard(window, drives.table(), files, dialogs);
    wizard.onDisketteRequested([&drives](int n) { drives.disketteRequested(n); });

    TerminalConversion::Setup setup;
    setup.floppy = options.floppy != '\0' ? options.floppy : drives.floppyLetter();
    setup.flash = options.flash != '\0' ? options.flash : drives.cardLetter();
    setup.floppyIsVirtual = options.floppy == '\0';
    setup.flashIsVirtual = options.flash == '\0';
    setup.interactive = interactive;
    const int status = TerminalConversion(wizard, dialogs, view, std::cin, setup).run();
    if (interruptRequested()) {
        // Whatever the interruption stopped has put the card right; the working directories go
        // now, as on Exit.
        wizard.stopForInterruption();
        view.catchUp();
        instance.release();
        endAsInterrupted();
    }
    if (!options.drives.cardFolder.empty() && status == exit_status::Written) {
        std::cout << "The database is on the card folder " << options.drives.cardFolder
                  << " under backup/single.\n";
    }
    return status;
}
