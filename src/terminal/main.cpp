// The converter in a terminal: the same wizard as the window, driven from the command line.

#include <iostream>
#include <string>
#include <vector>

#include "app/converter_setup.h"
#include "app/exit_status.h"
#include "platform/console.h"
#include "platform/interruption.h"
#include "terminal/terminal_conversion.h"
#include "terminal/terminal_options.h"
#include "ui/version_text.h"

int main(int argc, char* argv[]) {
    using namespace xq;
    const std::vector<std::string> arguments = commandLineArguments(argc, argv);
    const TerminalOptionsResult parsed = parseTerminalOptions(arguments);
    if (parsed.options.help) {
        std::cout << terminalUsage();
        return exit_status::Success;
    }
    if (parsed.options.version) {
        std::cout << versionText("xq3100-convert");
        return exit_status::Success;
    }
    if (!parsed.error.empty()) {
        std::cerr << "xq3100-convert: " << parsed.error << "\n\n" << terminalUsage();
        return exit_status::BadArguments;
    }
    const TerminalOptions& options = parsed.options;

    installInterruptHandlers();
    ConverterSetup setup(options.drives);
    TerminalView view(setup.model(), std::cout, options.verbose, standardOutputIsTerminal());
    setup.model().observer = &view;
    TerminalDialogs dialogs(view, std::cin, std::cout, options.answers);
    Wizard& wizard = setup.makeWizard(dialogs);
    if (const std::optional<std::string> refusal = setup.lock()) {
        std::cerr << terminalText(*refusal) << '\n';
        return exit_status::Failed;
    }

    TerminalConversion::Setup conversion;
    conversion.floppy = options.floppy != '\0' ? options.floppy : setup.drives().floppyLetter();
    conversion.flash = options.flash != '\0' ? options.flash : setup.drives().cardLetter();
    conversion.floppyIsVirtual = options.floppy == '\0';
    conversion.flashIsVirtual = options.flash == '\0';
    conversion.interactive = options.answers == AnswerPolicy::Ask && standardInputIsTerminal();
    const int status = TerminalConversion(wizard, dialogs, view, std::cin, conversion).run();
    if (interruptRequested()) {
        // Whatever the interruption stopped has put the card right; the working directories go
        // now, as on Exit.
        wizard.stopForInterruption();
        view.catchUp();
        setup.releaseLock();
        endAsInterrupted();
    }
    if (!options.drives.cardFolder.empty() && status == exit_status::Success) {
        std::cout << "The database is on the card folder " << options.drives.cardFolder
                  << " under backup/single.\n";
    }
    return status;
}
