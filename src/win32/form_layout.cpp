#include "win32/form_layout.h"

#include <algorithm>
#include <cstdlib>

#include "win32/display.h"

namespace xq::win32 {

namespace {

// The design, in twips.
constexpr int kFormWidth = 8160;
constexpr int kMargin = 300;
constexpr int kInnerWidth = kFormWidth - 2 * kMargin;
constexpr int kButtonWidth = 1200;
constexpr int kButtonHeight = 450;
constexpr int kButtonGap = 120;
constexpr int kButtonsFromBottom = 600;  // the buttons sit under the frame's bottom line
constexpr int kLineThickness = 30;       // an etched line: two pixels at 96 DPI

struct TwipsRect {
    int x;
    int y;
    int width;
    int height;
};

RECT pixels(const TwipsRect& r, UINT dpi) {
    const int left = pixelsOfTwips(r.x, dpi);
    const int top = pixelsOfTwips(r.y, dpi);
    return {left, top, left + pixelsOfTwips(r.width, dpi), top + pixelsOfTwips(r.height, dpi)};
}

RECT linePixels(const LineControl& line, UINT dpi) {
    // A line of the model is a segment; on screen it has the thickness of an etched line.
    const int x = std::min(line.x1, line.x2);
    const int y = std::min(line.y1, line.y2);
    const int width = std::max(kLineThickness, std::abs(line.x2 - line.x1));
    const int height = std::max(kLineThickness, std::abs(line.y2 - line.y1));
    return pixels({x, y, width, height}, dpi);
}

}  // namespace

FormLayout layOutForm(const FormControl& form, UINT dpi) {
    FormLayout layout;
    layout.client = {pixelsOfTwips(kFormWidth, dpi), pixelsOfTwips(form.heightTwips, dpi)};
    layout.mainText = pixels({kMargin, kMargin, kInnerWidth, 3150}, dpi);
    layout.DriveList = pixels({kMargin, 3660, 3600, 360}, dpi);
    layout.DriveSize = pixels({4020, 3570, kFormWidth - kMargin - 4020, 600}, dpi);
    layout.Label2 = pixels({kMargin, 4230, kInnerWidth, 900}, dpi);
    layout.ProgressBar1 = pixels({kMargin, 5310, kInnerWidth, 330}, dpi);
    layout.logText = pixels({kMargin, 6360, kInnerWidth, 2580}, dpi);

    const int buttonsTop = form.heightTwips - kButtonsFromBottom;
    const int exitLeft = kFormWidth - kMargin - kButtonWidth;
    const int okLeft = exitLeft - kButtonGap - kButtonWidth;
    const int backLeft = okLeft - kButtonGap - kButtonWidth;
    layout.buttonLog = pixels({kMargin, buttonsTop, kButtonHeight + 150, kButtonHeight}, dpi);
    layout.buttonBack = pixels({backLeft, buttonsTop, kButtonWidth, kButtonHeight}, dpi);
    layout.buttonOK = pixels({okLeft, buttonsTop, kButtonWidth, kButtonHeight}, dpi);
    layout.buttonExit = pixels({exitLeft, buttonsTop, kButtonWidth, kButtonHeight}, dpi);

    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        layout.lines[i] = linePixels(form.lines[i], dpi);
    }
    return layout;
}

}  // namespace xq::win32
