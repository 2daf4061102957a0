#pragma once

#include <array>

#include "ui/window_model.h"
#include "win32/windows_api.h"

namespace xq::win32 {

// Where the controls of `Form1` go, in pixels of its client area at one DPI: the form's design in
// twips, scaled. The height is that of the client area under the menu bar, the area the form's
// controls and lines are laid out in; the title bar and the menu bar come on top, in whatever size
// the desktop draws them.
struct FormLayout {
    SIZE client{};
    RECT mainText{};
    RECT DriveList{};  // the selection field; the list drops down below it
    RECT DriveSize{};
    RECT Label2{};
    RECT ProgressBar1{};
    RECT logText{};
    RECT buttonLog{};
    RECT buttonBack{};
    RECT buttonOK{};
    RECT buttonExit{};
    std::array<RECT, 3> lines{};
};

// `maxHeight`: the twips the client area may take at most (0: as designed).
FormLayout layOutForm(const FormControl& form, UINT dpi, int maxHeight = 0);

}  // namespace xq::win32
