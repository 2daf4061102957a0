#pragma once

#include <string_view>

namespace xq {

// Whether a file name from the descriptor (after "/" became "\") is a plain path relative to a
// diskette's root: a leading "\" and one or more components, none of them empty, "." or "..", and
// no ":" or control character anywhere. Later steps join these names to the working directories
// and to the card's backup directory; any other name could make a crafted diskette write or remove
// files outside them. Blanks are ordinary characters, also at either end of a name.
bool isSafeArchivedName(std::string_view name);

}  // namespace xq
