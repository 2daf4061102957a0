#pragma once

namespace xq {

// Whether the program's standard input / output is a terminal (not a file or a pipe).
bool standardInputIsTerminal();
bool standardOutputIsTerminal();

}  // namespace xq
