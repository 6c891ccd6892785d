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
  // The core says its coming ticks would do nothing until it says otherwise; the platform may
  // then leave them out, all or most of them, so that an idle program is not woken 20 times a
  // second. Leaving idle puts the ticks back on the schedule they would have kept: the next one
  // comes when it would have come, within one period (magnifier/tick_schedule.h). An idle timer
  // stays enabled; stopping it ends the idleness.
  virtual void SetIdle(bool idle) = 0;
};

}  // namespace vistrel::platform
