#pragma once

#include <iosfwd>
#include <string>

#include "app/converter_setup.h"
#include "platform/drive_table.h"
#include "terminal/terminal_options.h"

namespace xq {

// What the terminal program finds out before it reads anything, and its tasks besides converting.

// Why the drives the command line names cannot be used as asked; empty when they can. A drive the
// machine does not have is named with the drives it has. A card that holds the operating system
// (a drive, or a card folder that is such a drive's root) is taken only on an answer typed at the
// terminal: never on --yes or --no, nor on answers read from a pipe or a file (`answersTyped`
// false), the classic accident.
std::string refusedDrives(const DriveTable& drives, const TerminalOptions& options, char card,
                          bool answersTyped);

// --list-drives: each drive on a line, with what the window's label tells of it. The exit status.
int listDrives(const DriveTable& drives, std::ostream& out, std::ostream& err);

// --check-card: the card's database read back and proven against its own archive.dat, file by
// file. The exit status: 0 when it holds, 1 when not, 2 when there is no such drive.
int checkCard(ConverterSetup& setup, const TerminalOptions& options, std::ostream& out,
              std::ostream& err);

// Where the database written into the card drive `letter` lies, as the host names it:
// "/media/card/backup/single", "E:\backup\single".
std::string databaseLocation(const DriveTable& drives, char letter);

}  // namespace xq
