#pragma once

#include <string_view>

namespace xq {

// Answers of a modal message box, numbered as the host's message boxes number them.
enum class [[nodiscard]] Answer{Ok = 1, Cancel = 2, Yes = 6, No = 7};

enum class BoxButtons { Ok, OkCancel, YesNo };
enum class BoxIcon { None, Stop, Question, Exclamation, Information };

// A message box's buttons and icon.
struct BoxStyle {
    BoxButtons buttons = BoxButtons::Ok;
    BoxIcon icon = BoxIcon::None;

    // The host's number for this style (MessageBoxW's type, the message box's style number of the
    // converter's descriptions): the buttons in the low bits, the icon above them.
    constexpr int number() const {
        constexpr int kButtons[] = {0, 1, 4};
        constexpr int kIcons[] = {0, 16, 32, 48, 64};
        return kButtons[static_cast<int>(buttons)] + kIcons[static_cast<int>(icon)];
    }
    // The answer that starts nothing new: No to a Yes/No question, Cancel to OK/Cancel, OK to a box
    // with nothing else.
    constexpr Answer cautiousAnswer() const {
        switch (buttons) {
            case BoxButtons::Ok:
                return Answer::Ok;
            case BoxButtons::OkCancel:
                return Answer::Cancel;
            case BoxButtons::YesNo:
                return Answer::No;
        }
        return Answer::Ok;
    }

    bool operator==(const BoxStyle&) const = default;
};

namespace box_style {
inline constexpr BoxStyle OkStop{BoxButtons::Ok, BoxIcon::Stop};                            // 16
inline constexpr BoxStyle YesNoQuestion{BoxButtons::YesNo, BoxIcon::Question};              // 36
inline constexpr BoxStyle OkCancelExclamation{BoxButtons::OkCancel, BoxIcon::Exclamation};  // 49
inline constexpr BoxStyle YesNoExclamation{BoxButtons::YesNo, BoxIcon::Exclamation};        // 52
inline constexpr BoxStyle OkInformation{BoxButtons::Ok, BoxIcon::Information};              // 64
}  // namespace box_style

// Modal message boxes. The call returns when the operator has answered.
class Dialogs {
  public:
    virtual ~Dialogs() = default;
    virtual Answer messageBox(std::string_view text, std::string_view title, BoxStyle style) = 0;
    // A question only the person at the machine can answer (whether to feed diskettes again): a
    // front end that answers questions on its own (a terminal's --yes) asks it all the same.
    virtual Answer askInPerson(std::string_view text, std::string_view title, BoxStyle style) {
        return messageBox(text, title, style);
    }
};

}  // namespace xq
