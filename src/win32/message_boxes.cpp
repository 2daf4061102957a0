#include "win32/message_boxes.h"

#include <string>

#include "platform/win32_text.h"
#include "ui/operator.h"

namespace xq::win32 {

Answer MessageBoxes::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
    const std::wstring wideText = native::utf16FromUtf8(text);
    const std::wstring wideTitle = native::utf16FromUtf8(title);
    switch (::MessageBoxW(owner_, wideText.c_str(), wideTitle.c_str(),
                          static_cast<UINT>(style.number()))) {
        case IDOK:
            return Answer::Ok;
        case IDCANCEL:
            return Answer::Cancel;
        case IDYES:
            return Answer::Yes;
        case IDNO:
            return Answer::No;
        default:
            // The box could not be shown (out of memory, no desktop): nobody has agreed to
            // anything, so the question counts as declined.
            return style.cautiousAnswer();
    }
}

}  // namespace xq::win32
