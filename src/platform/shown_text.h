#pragma once

#include <string>
#include <string_view>

namespace xq {

// What becomes of line breaks in shown text.
enum class LineBreaks {
    Escaped,   // none are kept: a text from outside is shown on one line
    CrLfKept,  // a CR LF pair stays, as the program's own texts break their lines with them
    AsLf,      // a CR LF pair or an LF becomes an LF, for a terminal
};

// Text as it may be shown, in a pane, a box or on a terminal: every other control character (C0,
// DEL, C1) and every byte that is not part of valid UTF-8 written as \xNN, and the bidirectional
// embeddings, overrides and isolates (U+202A to U+202E, U+2066 to U+2069), which reorder what
// follows them on the line, written as \u202E. A path, a volume name or a descriptor's field then
// cannot forge a line, move the cursor, retitle a terminal or show a name backwards. What is
// already escaped stays as it is, so a text may pass through this more than once.
std::string shownText(std::string_view text, LineBreaks lineBreaks = LineBreaks::Escaped);

}  // namespace xq
