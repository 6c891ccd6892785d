// Wall-clock readings: seconds since midnight with fractions (for Pause) and the calendar year
// (for the copyright line).
#pragma once

namespace vistrel::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual double SecondsSinceMidnight() = 0;
  virtual int CurrentYear() = 0;
};

}  // namespace vistrel::platform
