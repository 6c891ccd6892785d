// The clocks the core reads: the calendar year (for the copyright line), and a steady clock that
// measures waits. The time of day is not offered: nothing should measure a wait by it.
#pragma once

namespace vistrel::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual int CurrentYear() = 0;
  // Seconds from any fixed point, moving only with the time that passes, whatever is done to the
  // time of day (midnight, summer time, a correction).
  virtual double SteadySeconds() = 0;
};

}  // namespace vistrel::platform
