#include "win32/elided_lines.h"

#include <string>

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

std::wstring elidedInTheMiddle(HDC dc, std::wstring_view line, int width) {
    if (widthOf(dc, line) <= width) {
        return std::wstring(line);
    }
    // The most characters kept, as many from the start as from the end, that still fit.
    constexpr std::wstring_view kEllipsis = L"\u2026";
    std::size_t low = 0;
    std::size_t high = line.size();
    const auto keeping = [&](std::size_t kept) {
        const std::size_t head = (kept + 1) / 2;
        return std::wstring(line.substr(0, head)) + std::wstring(kEllipsis) +
               std::wstring(line.substr(line.size() - (kept - head)));
    };
    while (low < high) {
        const std::size_t middle = (low + high + 1) / 2;
        if (widthOf(dc, keeping(middle)) <= width) {
            low = middle;
        } else {
            high = middle - 1;
        }
    }
    return keeping(low);
}

void drawElidedLines(HDC dc, const RECT& area, std::wstring_view text) {
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    RECT line = area;
    forEachLine(text, [&](std::wstring_view content) {
        line.bottom = line.top + metrics.tmHeight;
        const std::wstring shown = elidedInTheMiddle(dc, content, line.right - line.left);
        ::DrawTextW(dc, shown.data(), static_cast<int>(shown.size()), &line, kLineFormat);
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
