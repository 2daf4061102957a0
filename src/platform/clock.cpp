#include "platform/clock.h"

#include <thread>

namespace xq {

namespace {

class SystemClock final : public Clock {
  public:
    Time now() const override { return std::chrono::steady_clock::now(); }
    void sleepFor(Duration duration) override { std::this_thread::sleep_for(duration); }
};

}  // namespace

Clock& systemClock() {
    static SystemClock clock;
    return clock;
}

}  // namespace xq
