#pragma once

#include <QObject>
#include <QSocketNotifier>

#include "app/wizard.h"
#include "platform/instance_lock.h"

namespace xq::gui {

// Ends the window's program when it is interrupted (Ctrl+C in the terminal that started it, a
// closed terminal, a logout, a kill): as Exit does in the last step, once the action that runs has
// stopped, then as the interruption itself would have ended it.
class InterruptionWatch : public QObject {
    Q_OBJECT
  public:
    InterruptionWatch(Wizard& wizard, InstanceLock& lock, QObject* parent = nullptr);

  private:
    void check();

    Wizard& wizard_;
    InstanceLock& lock_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace xq::gui
