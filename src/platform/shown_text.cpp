#include "platform/shown_text.h"

namespace xq {

namespace {

// The length of the UTF-8 sequence of a printable character that starts at `at`; 0 when the bytes
// there are no such sequence (a stray continuation byte, a sequence cut short, an overlong or
// surrogate form) or encode a C1 control character (U+0080 to U+009F).
std::size_t printableUtf8Length(std::string_view text, std::size_t at) {
    const auto byte = [text](std::size_t i) {
        return i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    };
    const unsigned char lead = byte(at);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = lead == 0xC2 ? 0xA0 : 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (byte(at + 1) < low || byte(at + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// The code point of a three-byte sequence that is a bidirectional control; 0 for any other.
unsigned bidiControl(std::string_view sequence) {
    if (sequence.size() != 3) {
        return 0;
    }
    const unsigned code = (static_cast<unsigned char>(sequence[0]) & 0x0Fu) << 12 |
                          (static_cast<unsigned char>(sequence[1]) & 0x3Fu) << 6 |
                          (static_cast<unsigned char>(sequence[2]) & 0x3Fu);
    return (code >= 0x202A && code <= 0x202E) || (code >= 0x2066 && code <= 0x2069) ? code : 0;
}

constexpr std::string_view kHex = "0123456789ABCDEF";

}  // namespace

std::string shownText(std::string_view text, LineBreaks lineBreaks) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const bool crLf = c == '\r' && i + 1 < text.size() && text[i + 1] == '\n';
        if (crLf && lineBreaks != LineBreaks::Escaped) {
            shown += lineBreaks == LineBreaks::CrLfKept ? "\r\n" : "\n";
            i += 2;
        } else if (c == '\n' && lineBreaks == LineBreaks::AsLf) {
            shown += text[i++];
        } else if (c >= 0x20 && c < 0x7F) {
            shown += text[i++];
        } else if (const std::size_t length = c >= 0x80 ? printableUtf8Length(text, i) : 0) {
            const std::string_view sequence = text.substr(i, length);
            if (const unsigned code = bidiControl(sequence)) {
                shown.append("\\u").append(1, kHex[code >> 12]).append(1, kHex[(code >> 8) & 15]);
                shown.append(1, kHex[(code >> 4) & 15]).append(1, kHex[code & 15]);
            } else {
                shown.append(sequence);
            }
            i += length;
        } else {
            shown.append("\\x").append(1, kHex[c >> 4]).append(1, kHex[c & 0x0F]);
            ++i;
        }
    }
    return shown;
}

}  // namespace xq
