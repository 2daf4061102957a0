#pragma once

#include <functional>
#include <string>
#include <vector>

#include "archive/archive_state.h"
#include "convert/database_proof.h"
#include "platform/file_service.h"

namespace xq {

// What a card holds in backup\single, proven against its own archive.dat.
struct [[nodiscard]] CardCheck {
    enum class Outcome {
        Holds,          // every file its descriptor lists is there, of its checksum
        DoesNotHold,    // some listed file is missing, unreadable or of another checksum
        NoDatabase,     // no backup\single, or no archive.dat in it
        BadDescriptor,  // archive.dat cannot be read as a one-disk descriptor
        // A write of the converter's was cut off: the next write puts the card right first, and
        // until then no folder is the card's database for certain. `unfinished` says what the
        // card holds and what the next write will do.
        UnfinishedWrite,
        // backup\single holds a link, a device or a folder that cannot be listed: links are never
        // followed, and such a tree is no database the converter wrote.
        NotATree,
    };
    Outcome outcome = Outcome::NoDatabase;
    std::string single;  // the folder checked: "E:\backup\single\"
    std::string unfinished;
    ArchiveState archive;
    std::vector<ListedFileCheck> files;
};

// What a check tells as it goes: the archive once its descriptor is read, then each file as soon as
// it is checked, for a check of a large database to show its progress.
struct CardCheckProgress {
    std::function<void(const CardCheck&)> began;
    std::function<void(const ListedFileCheck&)> checked;
};

// Reads the database under `root` (a drive's or a card folder's root, "E:\") back from the medium
// and proves it against its own descriptor: a card can be checked months later, or one written by
// someone else, before it goes into the system.
CardCheck CheckCard(FileService& files, std::string_view root,
                    const CardCheckProgress& progress = {});

}  // namespace xq
