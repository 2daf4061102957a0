#pragma once

#include <cstdint>
#include <string>

namespace xq {

// The wizard's steps.
namespace step {
inline constexpr std::int16_t SelectFloppy = 0;
inline constexpr std::int16_t FirstDiskette = 1;
inline constexpr std::int16_t NextDiskette = 2;
inline constexpr std::int16_t SelectFlash = 3;
inline constexpr std::int16_t Written = 4;
}  // namespace step

// The state the wizard keeps for the whole run.
struct WizardState {
    std::int16_t wizardStep = step::SelectFloppy;
    // The diskette asked for or being read, from 1; after the reading pass, the set's size.
    std::int16_t diskNumber = 0;
    std::string floppyDrive;  // "A:"
    std::string flashDrive;   // "E:"
    // The list position selected at start-up, where a refused card drive sends the list back.
    std::int16_t savedDriveIndex = 0;
};

}  // namespace xq
