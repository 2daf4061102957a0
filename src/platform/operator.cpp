#include "platform/operator.h"

#include <string>

namespace xq {

void Operator::reportError(std::string_view message) {
    panes_.logMessage(std::string("ERROR ").append(message));
    showErrorBox(message);
}

void Operator::reportFailure(std::string_view message) {
    panes_.logMessage(message);
    showErrorBox(message);
}

void Operator::showErrorBox(std::string_view message) {
    dialogs_.messageBox(message, kErrorTitle, box_style::OkStop);
}

Answer Operator::ask(std::string_view question, std::string_view title, int style) {
    panes_.logMessage(std::string("QUERY ").append(question));
    return dialogs_.messageBox(question, title, style);
}

}  // namespace xq
