// A core timer on a QTimer. An interval change takes effect from the next period, as the
// runtime's timers do: the pending period runs out at the old interval.
#pragma once

#include <QTimer>
#include <functional>

#include "platform/timer.h"

namespace vistrel::x11 {

class QtTimer : public platform::Timer {
 public:
  QtTimer(std::int32_t intervalMs, std::function<void()> tick);
  void Start(bool enabled);

  bool Enabled() override { return timer_.isActive(); }
  void SetEnabled(bool enabled) override;
  std::int32_t Interval() override { return interval_; }
  void SetInterval(std::int32_t milliseconds) override;

 private:
  QTimer timer_;
  std::int32_t interval_;
  std::function<void()> tick_;
};

}  // namespace vistrel::x11
