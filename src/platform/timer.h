// A UI-thread timer; its tick reaches the core as Timer1_Timer or Timer2_Timer.
#pragma once

#include <cstdint>

namespace vistrel::platform {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual bool Enabled() = 0;
  virtual void SetEnabled(bool enabled) = 0;
  virtual std::int32_t Interval() = 0;
  // Takes effect from the next period: the pending period runs out first.
  virtual void SetInterval(std::int32_t milliseconds) = 0;
};

}  // namespace vistrel::platform
