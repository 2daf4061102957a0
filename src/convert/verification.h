#pragma once

#include "convert/conversion_context.h"

namespace xq {

enum class VerifyOutcome {
    Passed,
    Failed,      // reported; the set has to be read again
    QuitChosen,  // the operator chose to quit: the working directories are removed already and
                 // the caller ends the program
};

// Checks every file of the descriptor's table, in the copies of the diskettes, against its
// archived checksum. Also finds out whether diskette 1 holds "keycode.rec" (`keyCodeIsRec`).
VerifyOutcome VerifyArchivedFiles(ConversionContext& context);

}  // namespace xq
