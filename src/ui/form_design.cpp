#include "ui/form_design.h"

#include <algorithm>
#include <cstdlib>

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

TwipsRect lineRect(const LineControl& line) {
    return {std::min(line.x1, line.x2), std::min(line.y1, line.y2),
            std::max(kLineThickness, std::abs(line.x2 - line.x1)),
            std::max(kLineThickness, std::abs(line.y2 - line.y1))};
}

}  // namespace

FormDesign formDesign(const FormControl& form) {
    FormDesign design;
    design.width = kFormWidth;
    design.height = form.heightTwips;
    design.mainText = {kMargin, kMargin, kInnerWidth, 3150};
    design.DriveList = {kMargin, 3660, 3600, 360};
    design.DriveSize = {4020, 3570, kFormWidth - kMargin - 4020, 600};
    design.Label2 = {kMargin, 4230, kInnerWidth, 900};
    design.ProgressBar1 = {kMargin, 5310, kInnerWidth, 330};
    design.logText = {kMargin, 6360, kInnerWidth, 2580};

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
    return design;
}

}  // namespace xq
