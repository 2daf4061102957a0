#pragma once

#include <chrono>

namespace xq {

// The time as the program measures it: a steady clock that never jumps. What waits, measures or
// paces itself by time takes one, so that a test decides when time passes instead of the machine's
// speed deciding it.
class Clock {
  public:
    using Time = std::chrono::steady_clock::time_point;
    using Duration = std::chrono::steady_clock::duration;

    virtual ~Clock() = default;
    [[nodiscard]] virtual Time now() const = 0;
    // Lets `duration` pass (a pause between two tries).
    virtual void sleepFor(Duration duration) = 0;
};

// The machine's own clock.
Clock& systemClock();

}  // namespace xq
