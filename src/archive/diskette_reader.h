#pragma once

#include <cstdint>
#include <string>

#include "archive/archive_state.h"
#include "archive/diskette_copier.h"
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
    // Read, but not all of it could be (weak sectors, the diskette taken out); reported. Its copy
    // keeps what was read, and reading it again reads only the rest. Like Rejected, the same
    // diskette is asked for again.
    Unreadable = -5,
};

// What ReadDiskette works with. The wizard keeps one for the whole run: the references are its
// own state, `disketteFileCount` is set by every call.
struct DisketteReadContext {
    FileService& files;
    Operator& op;
    ArchiveState& archive;           // filled from diskette 1, compared with by every later one
    const std::string& floppyDrive;  // "A:"
    // The diskette whose last reading was Unreadable, 0 for none: read again, it reads only what
    // its copy still lacks. Kept up to date by every call.
    std::int16_t& incompleteDiskette;
    // While diskettes are read again in place of kept ones: the archive the kept diskettes were
    // checked against (`archive` itself). A diskette of any other archive is refused, diskette 1
    // also when its count of diskettes or its file table differ, and the kept state stays.
    const ArchiveState* keptArchive = nullptr;
    std::int16_t disketteFileCount = 0;  // files and folders on the diskette just read
    RescuePolicy rescue;
};

// Reads diskette `n` from the floppy drive: checks its diskette file and (for diskette 1) the
// archive descriptor, checks that it belongs to the archive of diskette 1, and copies it into its
// working directory disketteDirectory(TemporaryFolder(), n), recreated empty and private to this
// user (or, after an Unreadable reading of it, completed). Diskette 1 also recreates the flat
// directory. What could not be read is recorded in missingBytesFile(TemporaryFolder(), n). Every
// failure is reported to the operator before the result is returned.
ReadResult ReadDiskette(DisketteReadContext& context, std::int16_t n);

}  // namespace xq
