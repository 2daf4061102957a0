#pragma once

#include <functional>

#include "platform/operator.h"
#include "platform/window_model.h"

namespace xq {

// The message pane (`mainText`) holds the latest instruction or result; the log pane (`logText`)
// every message since start-up.
class MessagePanes : public Panes {
  public:
    explicit MessagePanes(WindowModel& window) : window_(window) {}

    void showMessage(std::string_view text) override;
    void logMessage(std::string_view text) override;
    void promptDiskette(int n) override;

    // Told the number of every diskette asked for, before the request is shown: a drive over
    // diskette folders puts that diskette's folder in.
    void onDisketteRequested(std::function<void(int)> listener) {
        disketteRequested_ = std::move(listener);
    }

  private:
    WindowModel& window_;
    std::function<void(int)> disketteRequested_;
};

}  // namespace xq
