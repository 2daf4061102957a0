#include "ui/window_model.h"

namespace xq {

std::string DriveListControl::drive() const {
    if (listIndex < 0 || listIndex >= static_cast<int>(entries.size())) {
        return {};
    }
    return entries[static_cast<std::size_t>(listIndex)];
}

void WindowModel::repaint(Control control) const {
    if (observer != nullptr) {
        observer->repaintNow(control);
    }
}

void WindowModel::setProgressValue(int value) {
    if (value < ProgressBar1.min || value > ProgressBar1.max) {
        return;
    }
    ProgressBar1.value = value;
    repaint(Control::ProgressBar1);
}

}  // namespace xq
