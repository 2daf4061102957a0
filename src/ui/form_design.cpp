#include "ui/form_design.h"

#include <algorithm>
#include <cstdlib>

#include "ui/log_pane.h"

namespace xq {

namespace {

constexpr int kFormWidth = 8160;
constexpr int kMargin = 300;
constexpr int kInnerWidth = kFormWidth - 2 * kMargin;
constexpr int kButtonWidth = 1200;
constexpr int kButtonHeight = 450;
constexpr int kButtonGap = 120;
constexpr int kButtonsFromBottom = 600;  // the buttons sit under the frame's bottom line
constexpr int kLineThickness = 30;       // an etched line: two pixels at 96 DPI
constexpr int kMainTop = kMargin;
constexpr int kMainHeight = 3150;
constexpr int kLogTop = 6360;
constexpr int kLogHeight = 2580;
// The panes at their shortest still show a few lines of text.
constexpr int kShortestMain = 1200;
constexpr int kShortestLog = 900;

TwipsRect lineRect(const LineControl& line) {
    return {std::min(line.x1, line.x2), std::min(line.y1, line.y2),
            std::max(kLineThickness, std::abs(line.x2 - line.x1)),
            std::max(kLineThickness, std::abs(line.y2 - line.y1))};
}

}  // namespace

FormDesign formDesign(const FormControl& form, int maxHeight) {
    FormDesign design;
    design.width = kFormWidth;
    design.height = form.heightTwips;
    design.mainText = {kMargin, kMainTop, kInnerWidth, kMainHeight};
    design.DriveList = {kMargin, 3660, 3600, 360};
    design.DriveSize = {4020, 3570, kFormWidth - kMargin - 4020, 600};
    design.Label2 = {kMargin, 4230, kInnerWidth, 900};
    design.ProgressBar1 = {kMargin, 5310, kInnerWidth, 330};
    design.logText = {kMargin, kLogTop, kInnerWidth, kLogHeight};

    const int buttonsTop = form.heightTwips - kButtonsFromBottom;
    const int exitLeft = kFormWidth - kMargin - kButtonWidth;
    const int okLeft = exitLeft - kButtonGap - kButtonWidth;
    const int backLeft = okLeft - kButtonGap - kButtonWidth;
    design.buttonLog = {kMargin, buttonsTop, kButtonHeight + 150, kButtonHeight};
    design.buttonBack = {backLeft, buttonsTop, kButtonWidth, kButtonHeight};
    design.buttonOK = {okLeft, buttonsTop, kButtonWidth, kButtonHeight};
    design.buttonExit = {exitLeft, buttonsTop, kButtonWidth, kButtonHeight};

    for (std::size_t i = 0; i < design.lines.size(); ++i) {
        design.lines[i] = lineRect(form.lines[i]);
    }
    if (maxHeight <= 0 || design.height <= maxHeight) {
        return design;
    }

    // Too tall: the log pane (when it is in view) gives up its lines first, then the message pane.
    int excess = design.height - maxHeight;
    const bool logInView = form.heightTwips >= form_geometry::kExpandedHeight;
    const int logCut = logInView ? std::min(excess, kLogHeight - kShortestLog) : 0;
    excess -= logCut;
    const int mainCut = std::min(excess, kMainHeight - kShortestMain);
    const int mainBottom = kMainTop + kMainHeight;
    const int logBottom = kLogTop + kLogHeight;
    const auto moved = [&](int y) {
        return y - (y >= mainBottom ? mainCut : 0) - (logInView && y >= logBottom ? logCut : 0);
    };
    const auto move = [&](TwipsRect& r) {
        const int bottom = moved(r.y + r.height);
        r.y = moved(r.y);
        r.height = bottom - r.y;
    };
    for (TwipsRect* r : {&design.mainText, &design.DriveList, &design.DriveSize, &design.Label2,
                         &design.ProgressBar1, &design.logText, &design.buttonLog,
                         &design.buttonBack, &design.buttonOK, &design.buttonExit}) {
        move(*r);
    }
    for (TwipsRect& line : design.lines) {
        move(line);
    }
    design.height = moved(design.height);
    return design;
}

double formScaleToFit(int width, int height) {
    const int tallest = form_geometry::kExpandedHeight - (kMainHeight - kShortestMain) -
                        (kLogHeight - kShortestLog);
    if (width <= 0 || height <= 0) {
        return 1.0;
    }
    return std::min(
        {1.0, static_cast<double>(width) / kFormWidth, static_cast<double>(height) / tallest});
}

}  // namespace xq
