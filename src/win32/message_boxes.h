#pragma once

#include "ui/dialogs.h"
#include "win32/windows_api.h"

namespace xq::win32 {

// The converter's message boxes are the system's own (MessageBoxW): the style number is passed as
// it is, so the icon and the buttons are exactly those the number stands for, and the answer comes
// back as the system numbers it. The text is plain text; CR LF breaks its lines.
class MessageBoxes : public Dialogs {
  public:
    // Boxes are modal to `owner` (none: to nothing, as before the window exists).
    void setOwner(HWND owner) { owner_ = owner; }

    Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) override;

  private:
    HWND owner_ = nullptr;
};

}  // namespace xq::win32
