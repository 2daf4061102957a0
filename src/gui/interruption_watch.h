#pragma once

#include <QObject>
#include <QSocketNotifier>

#include "ui/window_binding.h"

namespace xq::gui {

// Ends the window's program when it is interrupted (Ctrl+C in the terminal that started it, a
// closed terminal, a logout, a kill): as Exit does in the last step, once the action that runs has
// stopped. The window then closes, and main ends the process as the interruption would have.
class InterruptionWatch : public QObject {
    Q_OBJECT
  public:
    explicit InterruptionWatch(WindowBinding& binding, QObject* parent = nullptr);

  private:
    void check();

    WindowBinding& binding_;
    QSocketNotifier* notifier_ = nullptr;
};

}  // namespace xq::gui
