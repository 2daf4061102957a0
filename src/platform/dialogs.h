#pragma once

#include <string_view>

namespace xq {

// Answers of a modal message box, numbered as the host's message boxes number them.
enum class [[nodiscard]] Answer{Ok = 1, Cancel = 2, Yes = 6, No = 7};

// Message-box styles: the buttons plus the icon, numbered as the host's message boxes number them.
namespace box_style {
inline constexpr int OkStop = 16;               // OK, stop icon
inline constexpr int YesNoQuestion = 36;        // Yes/No, question icon
inline constexpr int OkCancelExclamation = 49;  // OK/Cancel, exclamation icon
inline constexpr int YesNoExclamation = 52;     // Yes/No, exclamation icon
inline constexpr int OkInformation = 64;        // OK, information icon
}  // namespace box_style

// Modal message boxes. The call returns when the operator has answered.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual Answer messageBox(std::string_view text, std::string_view title, int style) = 0;
};

}  // namespace xq
