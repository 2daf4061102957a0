#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_service.h"

namespace xq {

// Whether a database fits on a card.
enum class [[nodiscard]] CardRoom{
    Beside,      // beside the old one (or there is none), or the card cannot tell
    InPlace,     // only once the old one is gone
    DoesNotFit,  // not even then
};

struct CardRoomCheck {
    CardRoom room = CardRoom::Beside;
    std::uint64_t needed = 0;      // bytes the new database takes on the card, with its journal
    std::uint64_t free = 0;        // bytes free on the card
    std::uint64_t withoutOld = 0;  // ... once the old database is gone
};

// Compares what the database in `flat` (with its trailing "\") takes on the card in `flashDrive`
// ("E:") with the card's free space, counted in the card's own clusters: every file a whole number
// of them, every folder at least one for its entries, and the journal (`journalBytes`, held twice
// while a word of it takes its name). `single` is the card's database folder, when it holds one
// that is to be replaced.
CardRoomCheck CheckCardRoom(FileService& files, const std::string& flat,
                            const std::string& flashDrive, const std::string& backup,
                            const std::optional<std::string>& single, std::uint64_t journalBytes);

}  // namespace xq
