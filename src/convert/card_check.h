#pragma once

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
    };
    Outcome outcome = Outcome::NoDatabase;
    std::string single;  // the folder checked: "E:\backup\single\"
    ArchiveState archive;
    std::vector<ListedFileCheck> files;
};

// Reads the database under `root` (a drive's or a card folder's root, "E:\") back from the medium
// and proves it against its own descriptor: a card can be checked months later, or one written by
// someone else, before it goes into the system.
CardCheck CheckCard(FileService& files, std::string_view root);

}  // namespace xq
