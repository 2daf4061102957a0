#pragma once

#include <cstdint>

#include "convert/conversion_context.h"

namespace xq {

inline constexpr std::int16_t kPlacedOnCard = 1;
inline constexpr std::int16_t kNotPlaced = -1;

// Copies the flat directory onto the card in `flashDrive`, as backup\single. An older database
// there is replaced only when the operator agrees, and only once the new one is complete on the
// card, flushed and read back: whatever fails, the card keeps a whole database (the old one, or
// the new one). Returns kPlacedOnCard, or kNotPlaced when the operator declined or a step failed
// (reported).
std::int16_t PlaceOnCompactFlash(ConversionContext& context);

// Removes the working directories: the flat directory and the copy of every diskette.
void RemoveTemporaryDirectories(ConversionContext& context);

}  // namespace xq
