// A core timer on a QTimer. An interval change takes effect from the next period, as the
// runtime's timers do: the pending period runs out at the old interval. Idle, the timer is
// stopped (or, with an idle stride, ticks once in so many periods), and woken it ticks again on
// its old schedule, so that an idle program is not woken 20 times a second for nothing.
#pragma once

#include <QTimer>
#include <cstdint>
#include <functional>

#include "platform/timer.h"

namespace vistrel::linux_shell {

class QtTimer : public platform::Timer {
 public:
  // idleStride: while idle, one tick in that many periods still comes (0: none at all).
  QtTimer(std::int32_t intervalMs, std::function<void()> tick, int idleStride = 0);
  void Start(bool enabled);

  bool Enabled() override { return enabled_; }
  void SetEnabled(bool enabled) override;
  std::int32_t Interval() override { return interval_; }
  void SetInterval(std::int32_t milliseconds) override;
  void SetIdle(bool idle) override;

 private:
  // The QTimer's period now: the interval, or the idle stride's multiple of it.
  int Period() const;
  static std::int64_t NowMs();

  QTimer timer_;
  std::int32_t interval_;
  int idleStride_;
  bool enabled_ = false;
  bool idle_ = false;
  std::int64_t lastTick_ = 0;  // steady clock, ms: the schedule that waking returns to
  std::function<void()> tick_;
};

}  // namespace vistrel::linux_shell
