#pragma once

#include <cstdint>

namespace xq {

// The wizard's steps, numbered as the wizard has always numbered them.
enum class WizardStep : std::int16_t {
    SelectFloppy = 0,   // the floppy drive is chosen
    FirstDiskette = 1,  // diskette 1 is asked for
    NextDiskette = 2,   // a later diskette is asked for
    SelectFlash = 3,    // the database is built; the card drive is chosen
    Written = 4,        // a card holds the database
};

}  // namespace xq
