#include "terminal/terminal_checks.h"

#include <algorithm>
#include <ostream>

#include "app/exit_status.h"
#include "convert/card_check.h"
#include "platform/result.h"
#include "platform/shown_text.h"
#include "terminal/terminal_view.h"
#include "ui/drive_info.h"

namespace xq {

namespace {

#ifdef _WIN32
constexpr char kSeparator = '\\';
#else
constexpr char kSeparator = '/';
#endif

std::string driveName(char letter) {
    return std::string{letter, ':'};
}

std::string drivesOf(const DriveTable& drives) {
    std::string letters;
    for (const Drive& drive : drives.drives()) {
        letters += (letters.empty() ? "" : ", ") + driveName(drive.letter);
    }
    return letters.empty() ? "none" : letters;
}

std::string missingDrive(const DriveTable& drives, char letter) {
    return "there is no drive " + driveName(letter) + " on this machine; its drives are " +
           drivesOf(drives);
}

std::string_view stateText(ListedFileState state) {
    switch (state) {
        case ListedFileState::Holds:
            return "holds";
        case ListedFileState::Missing:
            return "is missing";
        case ListedFileState::Differs:
            return "differs from its checksum";
        case ListedFileState::Unreadable:
            return "can not be read";
        case ListedFileState::TooLarge:
            return "is larger than any set of diskettes can hold";
        case ListedFileState::RecordedAbsent:
            return "is not on the card, as recorded when it was written: no diskette held it";
    }
    return "";
}

}  // namespace

std::string refusedDrives(const DriveTable& drives, const TerminalOptions& options, char card,
                          bool answersTyped) {
    for (const char letter : {options.floppy, options.flash}) {
        if (letter != '\0' && !drives.drive(letter)) {
            return missingDrive(drives, letter);
        }
    }
    if (options.floppy != '\0' && options.floppy == options.flash) {
        return "--floppy and --flash name the same drive, " + driveName(options.floppy);
    }
    const std::optional<Drive> cardDrive = drives.drive(card);
    if (cardDrive && cardDrive->holdsSystem &&
        (options.answers != AnswerPolicy::Ask || !answersTyped)) {
        const std::string named = options.flash != '\0'
                                      ? "drive " + driveName(options.flash)
                                      : "card folder " + options.drives.cardFolder;
        return named +
               " holds the operating system: the database is written there only on an answer "
               "typed at the terminal, without --yes or --no and not from a pipe or a file";
    }
    return {};
}

int listDrives(const DriveTable& drives, std::ostream& out, std::ostream& err) {
    const DigitGrouping grouping = regionalDigitGrouping();
    for (const Drive& drive : drives.drives()) {
        out << terminalText(driveSummary(drive, grouping)) << '\n';
    }
    return flushOrSay(out, err) ? exit_status::Success : exit_status::Failed;
}

int checkCard(ConverterSetup& setup, const TerminalOptions& options, std::ostream& out,
              std::ostream& err) {
    const DriveTable& drives = setup.drives().table();
    const char letter = options.flash != '\0' ? options.flash : setup.drives().cardLetter();
    const std::optional<Drive> drive = drives.drive(letter);
    if (!drive) {
        err << kProgramName << ": " << missingDrive(drives, letter) << '\n';
        return exit_status::BadArguments;
    }
    if (!drive->ready) {
        err << kProgramName << ": drive " << driveName(letter) << " is not ready\n";
        return exit_status::Failed;
    }
    const std::string where = databaseLocation(drives, letter);
    // Each file's line as soon as it is checked: a large database takes a while. The reason of the
    // first line that cannot be written is kept, before the check's own calls change errno.
    std::size_t failing = 0;
    std::string writeError;
    const auto wrote = [&] {
        if (out.fail() && writeError.empty()) {
            writeError = systemErrorText(errno);
        }
    };
    CardCheckProgress progress;
    progress.began = [&](const CardCheck& check) {
        const auto count = std::ranges::count_if(check.archive.table(), &ArchivedFile::namesAFile);
        out << shownText(where) << ": archive ID " << shownText(check.archive.archiveIdText) << ", "
            << count << (count == 1 ? " file" : " files") << std::endl;
        wrote();
    };
    progress.checked = [&](const ListedFileCheck& file) {
        failing +=
            file.state == ListedFileState::Holds || file.state == ListedFileState::RecordedAbsent
                ? 0
                : 1;
        out << "  " << shownText(file.name) << " " << stateText(file.state) << std::endl;
        wrote();
    };
    const CardCheck check = CheckCard(setup.files(), driveName(letter) + "\\", progress);
    switch (check.outcome) {
        case CardCheck::Outcome::NoDatabase:
            err << kProgramName << ": " << shownText(where) << " holds no database\n";
            return exit_status::Failed;
        case CardCheck::Outcome::BadDescriptor:
            err << kProgramName << ": the archive.dat in " << shownText(where)
                << " is not a one-disk archive descriptor\n";
            return exit_status::Failed;
        case CardCheck::Outcome::UnfinishedWrite:
            err << kProgramName << ": " << shownText(where)
                << " is not the card's database for certain: a write of the converter's was cut "
                   "off there\n"
                << terminalLines(check.unfinished) << '\n';
            return exit_status::Failed;
        case CardCheck::Outcome::NotATree:
            err << kProgramName << ": " << shownText(where)
                << " holds a link, a device or a folder that can not be read: links are never "
                   "followed, and no conversion wrote such a folder\n";
            return exit_status::Failed;
        case CardCheck::Outcome::Holds:
        case CardCheck::Outcome::DoesNotHold:
            break;
    }
    if (check.outcome == CardCheck::Outcome::Holds) {
        out << "The card holds its database.\n";
        return flushOrSay(out, err, writeError) ? exit_status::Success : exit_status::Failed;
    }
    passOver(flushOrSay(out, err, writeError));
    err << kProgramName << ": the card does not hold its database: " << failing << " of "
        << check.files.size() << " files do not hold\n";
    return exit_status::Failed;
}

std::string databaseLocation(const DriveTable& drives, char letter) {
    const std::optional<std::string> root = drives.hostRoot(letter);
    std::string location = root ? *root : driveName(letter) + "\\";
    if (!location.empty() && location.back() != kSeparator) {
        location += kSeparator;
    }
    return location + "backup" + kSeparator + "single";
}

}  // namespace xq
