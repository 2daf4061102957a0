#pragma once

#include <functional>

#include "platform/clock.h"

namespace xq::test {

// A clock whose time passes only when the test says so, or when the code under test sleeps.
class ManualClock final : public Clock {
  public:
    Time now() const override { return now_; }
    void sleepFor(Duration duration) override {
        now_ += duration;
        ++sleeps_;
        if (onSleep) {
            onSleep(sleeps_);
        }
    }
    void advance(Duration duration) { now_ += duration; }
    int sleeps() const { return sleeps_; }

    // Called after each sleep with the number of sleeps so far.
    std::function<void(int)> onSleep;

  private:
    Time now_{};
    int sleeps_ = 0;
};

}  // namespace xq::test
