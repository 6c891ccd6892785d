// Wall-clock readings: seconds since midnight with fractions (for Pause) and the calendar year
// (for the copyright line), and a steady clock beside them.
#pragma once

#include <chrono>

namespace vistrel::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double SecondsSinceMidnight() = 0;
  virtual int CurrentYear() = 0;
  // Seconds from any fixed point, moving only with the time that passes, whatever is done to the
  // time of day: the measure that tells a midnight or a clock set back from a wait that lasted.
  // The standard library's steady clock serves every platform.
  virtual double SteadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace vistrel::platform
