#pragma once

#include <cstdint>

#include "convert/conversion_context.h"
#include "convert/database_proof.h"

namespace xq {

enum class [[nodiscard]] PlaceOutcome : std::int16_t{
    Placed = 1,  // the card holds the database, read back from it and proven
    // The card could not take it (reported). The card keeps its old database, or the message said
    // exactly where it is.
    NotPlaced = -1,
    // The operator declined to replace the database on the card; nothing on it has changed.
    Declined = -3,
    // The database in the temporary folder is no longer the one read from the diskettes
    // (reported); nothing was written, and the diskettes must be read again.
    DatabaseChanged = -2,
};

// Copies the flat directory onto the card in `flashDrive`, as backup\single. The flat directory is
// proven against `proof` first; an older database is replaced only when the operator agrees, and
// only once the new one is complete on the card beside it, flushed, read back from the medium and
// proven. The new one is written in a staging folder of the program's own (backup\XQ3100.NEW, with
// a journal, backup\XQ3100.JNL, that marks it and the old database set aside, backup\XQ3100.OLD,
// as the program's); a write that was cut off is put right before anything else is asked, and no
// folder the program did not make is ever renamed or removed. A card with room for the new
// database only in place of the old one is written that way once the operator agrees.
PlaceOutcome PlaceOnCompactFlash(ConversionContext& context, const DatabaseProof& proof);

}  // namespace xq
