#include "win32/form_layout.h"

#include "ui/form_design.h"
#include "win32/display.h"

namespace xq::win32 {

namespace {

RECT pixels(const TwipsRect& r, UINT dpi) {
    const int left = pixelsOfTwips(r.x, dpi);
    const int top = pixelsOfTwips(r.y, dpi);
    return {left, top, left + pixelsOfTwips(r.width, dpi), top + pixelsOfTwips(r.height, dpi)};
}

}  // namespace

FormLayout layOutForm(const FormControl& form, UINT dpi, int maxHeight) {
    const FormDesign design = formDesign(form, maxHeight);
    FormLayout layout;
    layout.client = {pixelsOfTwips(design.width, dpi), pixelsOfTwips(design.height, dpi)};
    layout.mainText = pixels(design.mainText, dpi);
    layout.DriveList = pixels(design.DriveList, dpi);
    layout.DriveSize = pixels(design.DriveSize, dpi);
    layout.Label2 = pixels(design.Label2, dpi);
    layout.ProgressBar1 = pixels(design.ProgressBar1, dpi);
    layout.logText = pixels(design.logText, dpi);
    layout.buttonLog = pixels(design.buttonLog, dpi);
    layout.buttonBack = pixels(design.buttonBack, dpi);
    layout.buttonOK = pixels(design.buttonOK, dpi);
    layout.buttonExit = pixels(design.buttonExit, dpi);
    for (std::size_t i = 0; i < layout.lines.size(); ++i) {
        layout.lines[i] = pixels(design.lines[i], dpi);
    }
    return layout;
}

}  // namespace xq::win32
