#include "win32/elided_lines.h"

namespace xq::win32 {

namespace {

constexpr UINT kLineFormat = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP;

// Calls `each(line)` for every line of `text`; a line ends at CR LF or at a lone LF.
template <typename Each>
void forEachLine(std::wstring_view text, Each&& each) {
    while (true) {
        const std::size_t end = text.find(L'\n');
        std::wstring_view line = text.substr(0, end);
        if (!line.empty() && line.back() == L'\r') {
            line.remove_suffix(1);
        }
        each(line);
        if (end == std::wstring_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

int widthOf(HDC dc, std::wstring_view line) {
    SIZE size{};
    ::GetTextExtentPoint32W(dc, line.data(), static_cast<int>(line.size()), &size);
    return size.cx;
}

}  // namespace

void drawElidedLines(HDC dc, const RECT& area, std::wstring_view text) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    RECT line = area;
    forEachLine(text, [&](std::wstring_view content) {
        line.bottom = line.top + metrics.tmHeight;
        ::DrawTextW(dc, content.data(), static_cast<int>(content.size()), &line,
                    kLineFormat | DT_END_ELLIPSIS);
        line.top = line.bottom;
    });
}

bool linesAreElided(HDC dc, int width, std::wstring_view text) {
    bool elided = false;
    forEachLine(text,
                [&](std::wstring_view line) { elided = elided || widthOf(dc, line) > width; });
    return elided;
}

}  // namespace xq::win32
