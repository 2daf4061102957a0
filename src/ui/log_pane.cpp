#include "ui/log_pane.h"

namespace xq {

namespace {

// Where the frame of the working area begins, and its width (twips); the design is ours, only the
// lines' lower ends move with the log pane.
constexpr int kFrameTop = 120;
constexpr int kFrameLeft = 120;
constexpr int kFrameRight = 8040;

}  // namespace

void LogPane::layOutCompact() {
    window_.form.lines[0] = {kFrameLeft, 0, kFrameRight, 0};
    window_.form.lines[1] = {kFrameLeft, kFrameTop, kFrameLeft, 0};
    window_.form.lines[2] = {kFrameRight, kFrameTop, kFrameRight, 0};
    setLines(form_geometry::kCompactLineY);
    window_.form.heightTwips = form_geometry::kCompactHeight;
    window_.showLog.picture = kShowLogPicture;
    window_.hideLog.picture = kHideLogPicture;
    window_.showLog.visible = false;
    window_.hideLog.visible = false;
}

void LogPane::toggle() {
    shown_ = !shown_;
    window_.buttonLog.picture = shown_ ? window_.hideLog.picture : window_.showLog.picture;
    window_.logText.visible = shown_;
    window_.form.heightTwips =
        shown_ ? form_geometry::kExpandedHeight : form_geometry::kCompactHeight;
    setLines(shown_ ? form_geometry::kExpandedLineY : form_geometry::kCompactLineY);
}

void LogPane::startHidden() {
    shown_ = false;
    window_.buttonLog.picture = window_.showLog.picture;
    window_.logText.visible = false;
}

void LogPane::setLines(int y) {
    window_.form.lines[0].y1 = y;
    window_.form.lines[0].y2 = y;
    window_.form.lines[1].y2 = y;
    window_.form.lines[2].y2 = y;
}

}  // namespace xq
