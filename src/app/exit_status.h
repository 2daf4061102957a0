#pragma once

namespace xq {

// Exit status of the programs.
namespace exit_status {
// The window: the program ended as the operator chose. The terminal program: a card was written.
inline constexpr int Success = 0;
// The conversion failed or was stopped; the window: the program could not start (another copy
// converts in the same temporary folder, the window could not be made).
inline constexpr int Failed = 1;
inline constexpr int BadArguments = 2;  // wrong options or folders; nothing was read or written
// No card was written because an answer declined it: No to Replace, No to writing onto the
// system's drive, q at the request for another card.
inline constexpr int Declined = 3;
}  // namespace exit_status

}  // namespace xq
