#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_state.h"
#include "platform/file_service.h"
#include "ui/operator.h"

namespace xq {

// What verification, recombination, the flat image and the card writer work with: the wizard's
// state for the whole run, handed over by reference or as it stands at the call.
struct ConversionContext {
    FileService& files;
    Operator& op;
    const ArchiveState& archive;
    // Diskette 1 holds "keycode.rec" rather than "keycode.kcd". False at start; only verification
    // sets it, and only ever to true.
    bool& keyCodeIsRec;
    std::int16_t diskNumber = 0;  // diskettes read (after the reading pass: the set's size)
    std::string flashDrive;       // "E:"
    // The highest diskette number whose working directory this run may have created, so that
    // clean-up also removes a copy left by a diskette whose descriptor was refused.
    std::int16_t disketteDirectories = 0;
};

}  // namespace xq
