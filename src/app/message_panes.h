#pragma once

#include <cstddef>
#include <functional>

#include "ui/operator.h"
#include "ui/window_model.h"

namespace xq {

// The message pane (`mainText`) holds the latest instruction or result; the log pane (`logText`)
// every message since start-up.
class MessagePanes : public Panes {
  public:
    explicit MessagePanes(WindowModel& window) : window_(window) {}

    void showMessage(std::string_view text) override;
    void logMessage(std::string_view text) override;
    void promptDiskette(int n) override;

    // Selects the message logged last, as logging it selects it in a visible log: the log shows
    // its newest line when it is opened.
    void selectNewestLogLine();

    // Told the number of every diskette asked for, before the request is shown: a drive over
    // diskette folders puts that diskette's folder in.
    void onDisketteRequested(std::function<void(int)> listener) {
        disketteRequested_ = std::move(listener);
    }

  private:
    WindowModel& window_;
    std::function<void(int)> disketteRequested_;
    // In characters: the log's length, and where the message logged last starts and how long it
    // is. The log only grows; its length is counted as it grows, from the bytes counted so far.
    std::size_t countedBytes_ = 0;
    std::size_t logLength_ = 0;
    std::size_t newestStart_ = 0;
    std::size_t newestLength_ = 0;
};

}  // namespace xq
