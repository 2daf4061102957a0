#include "gui/interruption_watch.h"

#include <unistd.h>

#include <QApplication>
#include <QWidget>

#include "platform/interruption.h"

namespace xq::gui {

InterruptionWatch::InterruptionWatch(WindowBinding& binding, QObject* parent)
    : QObject(parent), binding_(binding) {
    const int descriptor = interruptNotifier();
    if (descriptor < 0) {
        return;
    }
    notifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this, descriptor] {
        char drained[64];
        while (::read(descriptor, drained, sizeof drained) > 0) {
        }
        check();
    });
}

void InterruptionWatch::check() {
    if (!interruptRequested() || binding_.interrupted()) {
        return;
    }
    // An action runs, and this is the event loop of a box it shows: the box goes, with its
    // cautious answer, and the action stops at its next file operation. Then the program ends.
    if (QWidget* box = QApplication::activeModalWidget()) {
        box->close();
    }
}

}  // namespace xq::gui
