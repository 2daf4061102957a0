#pragma once

#include <string_view>

namespace xq {

// Whether a file name from the descriptor (after "/" became "\") is a plain path relative to a
// diskette's root that the card can hold under that very name: a leading "\" and one or more
// components, none of them empty, "." or "..", none ending in a dot (FAT and Windows drop it,
// "..." included), none a device name (CON, NUL, COM1, ... with any extension), and no control
// character or one of < > : " | ? * anywhere. Later steps join these names to the working
// directories and to the card's backup directory; any other name could make a crafted diskette
// write or remove files outside them, or put a file on the card under a name its archive.dat does
// not list. Blanks are ordinary characters, also at either end of a name (recombination trims
// those of the whole name).
bool isSafeArchivedName(std::string_view name);

}  // namespace xq
