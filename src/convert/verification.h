#pragma once

#include <span>

#include "convert/conversion_context.h"

namespace xq {

enum class [[nodiscard]] VerifyOutcome{
    Passed,
    Failed,      // reported; the set has to be read again
    QuitChosen,  // the operator chose to quit: the working directories are removed already and
                 // the caller ends the program
};

// Checks every file of the descriptor's table, in the copies of the diskettes, against its
// archived checksum. Also finds out whether diskette 1 holds "keycode.rec" (`keyCodeIsRec`). The
// first piece that does not match is reported, and every one is listed in `checksumFailures`.
VerifyOutcome VerifyArchivedFiles(ConversionContext& context);

// The value that table entry `i` must match, given the checksum of its own bytes: a continued
// piece's archived checksum runs over the whole file so far, so the archived checksums of the same
// file's pieces on the previous diskette are added to it (each addition wraps at 2^32).
[[nodiscard]] double runningChecksum(double ownChecksum, std::span<const ArchivedFile> table,
                                     std::size_t i);

}  // namespace xq
