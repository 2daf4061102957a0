#pragma once

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

private:
    WindowModel& window_;
};

}  // namespace xq
