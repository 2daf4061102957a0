#pragma once

namespace xq {

// Ctrl+C, a closed terminal, a logout or a plain kill must not leave working directories in the
// temporary folder or a half-written folder on the card. The handlers only take note; the program
// stops at its next safe point: file operations that would produce new data fail with
// FileError::Interrupted (removals, renames and flushes still work, so clean-up can finish),
// message boxes are answered with their cautious answer without being shown, and the front end ends
// the program the way Exit does, then as the interruption itself would have ended it.

// Catches SIGINT, SIGTERM and SIGHUP (the console's Ctrl+C, Ctrl+Break, close, logoff and shutdown
// events on Windows), and ignores SIGPIPE: a write to a closed pipe fails instead. Call once, early
// in main.
void installInterruptHandlers();

// Whether an interruption has arrived.
bool interruptRequested();

// A descriptor that becomes readable when an interruption arrives, for an event loop to watch;
// -1 where there is none (Windows).
int interruptNotifier();

// Ends the program as the interruption would have ended it, had it not been caught: by the same
// signal on Linux, with STATUS_CONTROL_C_EXIT on Windows. Call when the clean-up is done.
[[noreturn]] void endAsInterrupted();

// For tests: behave as if `signal` had arrived, or as if none had.
void simulateInterruption(int signal);
void clearInterruption();

}  // namespace xq
