// The converter in a terminal: the same wizard as the window, driven from the command line.

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "app/converter_setup.h"
#include "app/exit_status.h"
#include "platform/console.h"
#include "platform/interruption.h"
#include "platform/shown_text.h"
#include "terminal/terminal_checks.h"
#include "terminal/terminal_conversion.h"
#include "terminal/terminal_options.h"
#include "ui/version_text.h"

int main(int argc, char* argv[]) {
    using namespace xq;
    const std::vector<std::string> arguments = commandLineArguments(argc, argv);
    const TerminalOptionsResult parsed = parseTerminalOptions(arguments);
    if (parsed.options.help) {
        std::cout << terminalUsage();
        return flushOrSay(std::cout, std::cerr) ? exit_status::Success : exit_status::Failed;
    }
    if (parsed.options.version) {
        std::cout << versionText(kProgramName);
        return flushOrSay(std::cout, std::cerr) ? exit_status::Success : exit_status::Failed;
    }
    if (!parsed.error.empty()) {
        std::cerr << kProgramName << ": " << shownText(parsed.error) << "\nTry '" << kProgramName
                  << " --help' for more information.\n";
        return exit_status::BadArguments;
    }
    const TerminalOptions& options = parsed.options;

    installInterruptHandlers();
    ConverterSetup setup(options.drives);
    const DriveTable& drives = setup.drives().table();
    switch (options.task) {
        case TerminalTask::ListDrives:
            return listDrives(drives, std::cout, std::cerr);
        case TerminalTask::CheckCard:
            return checkCard(setup, options, std::cout, std::cerr);
        case TerminalTask::Convert:
            break;
    }
    const char card = options.flash != '\0' ? options.flash : setup.drives().cardLetter();
    if (const std::string refusal = refusedDrives(drives, options, card, standardInputIsTerminal());
        !refusal.empty()) {
        std::cerr << kProgramName << ": " << shownText(refusal) << '\n';
        return exit_status::BadArguments;
    }

    const bool terminal = standardOutputIsTerminal();
    const char* term = std::getenv("TERM");
    TerminalView view(setup.model(), std::cout, std::cerr, options.verbosity,
                      terminal && !(term != nullptr && std::string_view(term) == "dumb"));
    view.fitTo(terminalColumns());
    // The virtual drives' roots as the folders the operator named.
    view.showVirtualRootsAs([&setup, &drives](char letter) -> std::optional<std::string> {
        if (letter != setup.drives().floppyLetter() && letter != setup.drives().cardLetter()) {
            return std::nullopt;
        }
        return drives.hostRoot(letter);
    });
    setup.model().observer = &view;
    TerminalDialogs dialogs(view, std::cin, std::cerr, options.answers, options.verbosity,
                            !standardInputIsTerminal());
    Wizard& wizard = setup.makeWizard(dialogs);
    wizard.watchWork(&view);
    if (const std::optional<std::string> refusal = setup.lock()) {
        std::cerr << terminalText(*refusal) << '\n';
        return exit_status::Failed;
    }

    TerminalConversion::Setup conversion;
    conversion.floppy = options.floppy != '\0' ? options.floppy : setup.drives().floppyLetter();
    conversion.flash = card;
    conversion.floppyIsVirtual = options.floppy == '\0';
    conversion.disketteFolders = options.drives.disketteFolders;
    conversion.flashIsVirtual = options.flash == '\0';
    conversion.interactive = options.answers == AnswerPolicy::Ask && standardInputIsTerminal();
    int status = TerminalConversion(wizard, dialogs, view, std::cin, conversion).run();
    // Where the database is, once it is proven on the card and in place.
    const auto tellWhereTheDatabaseIs = [&] {
        for (const std::string& note : wizard.absenceNotes()) {
            view.tell(terminalText(note));
        }
        view.tell("The database is in " + shownText(databaseLocation(drives, conversion.flash)) +
                  ".");
    };
    if (interruptRequested()) {
        // Whatever the interruption stopped has put the card right; the working directories go
        // now, as on Exit. An interruption that came after the new database was proven on the
        // card let it be put in place: the operator is told so, not left guessing.
        wizard.stopForInterruption();
        view.catchUp();
        if (wizard.lastPlacement() == PlaceOutcome::Placed) {
            tellWhereTheDatabaseIs();
        }
        setup.releaseLock();
        endAsInterrupted();
    }
    if (status == exit_status::Success) {
        tellWhereTheDatabaseIs();
    }
    if (view.outputFailed()) {
        // The operator may not have seen what happened: the run does not count as a success.
        std::cerr << kProgramName << ": write error"
                  << (view.writeError().empty() ? "" : ": " + view.writeError()) << '\n';
        status = status == exit_status::Success ? exit_status::Failed : status;
    }
    return status;
}
