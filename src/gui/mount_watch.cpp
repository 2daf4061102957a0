#include "gui/mount_watch.h"

#include <fcntl.h>
#include <unistd.h>

namespace xq::gui {

MountWatch::MountWatch(const QString& mountTable, QObject* parent) : QObject(parent) {
    descriptor_ = ::open(mountTable.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC);
    if (descriptor_ < 0) {
        return;
    }
    // Each poll of the table takes in the change it reports, so one change is told once.
    notifier_ = new QSocketNotifier(descriptor_, QSocketNotifier::Exception, this);
    connect(notifier_, &QSocketNotifier::activated, this, &MountWatch::changed);
}

MountWatch::~MountWatch() {
    if (notifier_ != nullptr) {
        notifier_->setEnabled(false);  // before the descriptor it watches goes
    }
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

}  // namespace xq::gui
