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

FormDesign formDesign(const FormControl& form);

}  // namespace xq
