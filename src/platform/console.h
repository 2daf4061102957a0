#pragma once

#include <string>
#include <vector>

namespace xq {

// Whether the program's standard input / output is a terminal (not a file or a pipe).
bool standardInputIsTerminal();
bool standardOutputIsTerminal();
// The width of the terminal the standard output goes to, in columns; 0 when it is none or unknown.
int terminalColumns();

// The program's arguments, its own name left out, in UTF-8. On Windows they come from the wide
// command line: main's argv holds them in the ANSI code page, which has no room for most names.
std::vector<std::string> commandLineArguments(int argc, char* argv[]);

}  // namespace xq
