#pragma once

#include <cstdint>
#include <string>

#include "ui/wizard_step.h"

namespace xq {

// The state the wizard keeps for the whole run.
struct WizardState {
    WizardStep wizardStep = WizardStep::SelectFloppy;
    // The diskette asked for or being read, from 1; after the reading pass, the set's size.
    std::int16_t diskNumber = 0;
    std::string floppyDrive;  // "A:"
    std::string flashDrive;   // "E:"
    // The list position selected at start-up, where a refused card drive sends the list back.
    std::int16_t savedDriveIndex = 0;
};

}  // namespace xq
