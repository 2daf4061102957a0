#include "ui/operator.h"

#include <string>

#include "platform/interruption.h"
#include "platform/result.h"
#include "platform/shown_text.h"

namespace xq {

void Operator::reportError(std::string_view message) {
    panes_.logMessage(std::string("ERROR ").append(message));
    showErrorBox(message);
}

void Operator::reportFailure(std::string_view message) {
    panes_.logMessage(message);
    showErrorBox(message);
}

void Operator::showErrorBox(std::string_view message, std::string_view title) {
    passOver(messageBox(message, title, box_style::OkStop));  // OK is its only answer
}

Answer Operator::ask(std::string_view question, std::string_view title, BoxStyle style) {
    panes_.logMessage(std::string("QUERY ").append(question));
    return messageBox(question, title, style);
}

Answer Operator::askInPerson(std::string_view question, std::string_view title, BoxStyle style) {
    panes_.logMessage(std::string("QUERY ").append(question));
    return show(question, title, style, &Dialogs::askInPerson);
}

Answer Operator::messageBox(std::string_view text, std::string_view title, BoxStyle style) {
    return show(text, title, style, &Dialogs::messageBox);
}

Answer Operator::show(std::string_view text, std::string_view title, BoxStyle style,
                      Answer (Dialogs::*box)(std::string_view, std::string_view, BoxStyle)) {
    if (interruptRequested()) {
        // The program is stopping: nobody is asked anything any more, and nothing is started.
        return style.cautiousAnswer();
    }
    window_.repaint(Control::Form);
    return (dialogs_.*box)(shownText(text, LineBreaks::CrLfKept), shownText(title), style);
}

void Operator::beginWork(WorkPhase phase, int item, int items) {
    work_.now = WorkProgress{.phase = phase, .item = item, .items = items};
    reportWork();
}

void Operator::setWorkItems(int items) {
    work_.now.items = items;
    reportWork();
}

void Operator::setWorkTotal(std::uint64_t total) {
    work_.now.total = total;
    reportWork();
}

void Operator::advanceWork(std::uint64_t done) {
    work_.now.done += done;
    reportWork();
}

void Operator::endWork(bool completed) {
    work_.now.ended = true;
    work_.now.completed = completed;
    reportWork();
}

void Operator::stillWorking() {
    reportWork();
    window_.repaint(Control::ProgressBar1);
}

void Operator::reportWork() {
    if (work_.observer != nullptr) {
        work_.observer->progressed(work_.now);
    }
}

}  // namespace xq
