#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_state.h"
#include "platform/file_service.h"
#include "ui/operator.h"

namespace xq {

// Results of ReadDiskette.
enum class [[nodiscard]] ReadResult : std::int16_t{
    MoreToFollow = 0,  // read; further diskettes follow
    LastDiskette = 1,  // read; it was the set's last diskette
    Rejected = -1,     // not read (wrong diskette, no room, ...); reported
    CopyFailed = -2,   // copying its files failed; reported
    // The number is beyond any set: the caller removes the working directories and ends the
    // program.
    TooManyDiskettes = -3,
    // A diskette of another archive (reported): the set is read again from the floppy-drive step.
    AnotherArchive = -4,
};

// What ReadDiskette works with. The wizard keeps one for the whole run: the references are its
// own state, `disketteFileCount` is set by every call.
struct DisketteReadContext {
    FileService& files;
    Operator& op;
    ArchiveState& archive;               // filled from diskette 1, compared with by every later one
    const std::string& floppyDrive;      // "A:"
    std::int16_t disketteFileCount = 0;  // files and folders on the diskette just read
};

// Reads diskette `n` from the floppy drive: checks its diskette file and (for diskette 1) the
// archive descriptor, checks that it belongs to the archive of diskette 1, and copies it into its
// working directory disketteDirectory(TemporaryFolder(), n), recreated empty and private to this
// user. Diskette 1 also recreates the flat directory. Every failure is reported to the operator
// before the result is returned.
ReadResult ReadDiskette(DisketteReadContext& context, std::int16_t n);

}  // namespace xq
