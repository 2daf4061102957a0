#pragma once

#include <array>

#include "ui/window_model.h"

namespace xq {

// A rectangle of the form's client area, in twips.
struct TwipsRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Where the controls of `Form1` stand, in twips of its client area: the working area as designed,
// the buttons under the frame's bottom line, the separator lines where the model puts them. Every
// window lays itself out from this, each at its own scale, so the two front ends cannot drift
// apart.
struct FormDesign {
    int width = 0;
    int height = 0;
    TwipsRect mainText;
    TwipsRect DriveList;  // the selection field: a toolkit may draw it taller, as its font needs
    TwipsRect DriveSize;
    TwipsRect Label2;
    TwipsRect ProgressBar1;
    TwipsRect logText;
    TwipsRect buttonLog;
    TwipsRect buttonBack;
    TwipsRect buttonOK;
    TwipsRect buttonExit;
    // A line of the model is a segment; on screen it has the thickness of an etched line.
    std::array<TwipsRect, 3> lines;
};

// The design laid out in at most `maxHeight` twips (0: as tall as designed). A form too tall gets
// its log pane, then its message pane, shortened down to a few lines each; everything below them
// moves up, the buttons included, so that they stay in view.
FormDesign formDesign(const FormControl& form, int maxHeight = 0);

// The scale (at most 1) at which the form fits `width` x `height` twips of a screen even with its
// log shown and both panes as short as they go: a window draws its form and fonts that much
// smaller, keeping the form's proportions, where the screen is too small for it at full size.
double formScaleToFit(int width, int height);

}  // namespace xq
