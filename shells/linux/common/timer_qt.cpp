#include "common/timer_qt.h"

#include <algorithm>
#include <chrono>

#include "magnifier/tick_schedule.h"

namespace vistrel::linux_shell {

QtTimer::QtTimer(std::int32_t intervalMs, std::function<void()> tick, int idleStride)
    : interval_(intervalMs), idleStride_(std::max(idleStride, 0)), tick_(std::move(tick)) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(Period());
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    lastTick_ = NowMs();
    // The period that starts now runs at the interval in force, including a change the tick
    // itself makes (and the first whole period after a wake's shortened one).
    const auto apply = [this] {
      if (timer_.isActive() && timer_.interval() != Period()) timer_.setInterval(Period());
    };
    apply();
    tick_();
    apply();
  });
}

int QtTimer::Period() const {
  const int interval = std::max(interval_, 1);
  return idle_ ? interval * idleStride_ : interval;
}

std::int64_t QtTimer::NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void QtTimer::Start(bool enabled) {
  SetEnabled(enabled);
}

void QtTimer::SetEnabled(bool enabled) {
  if (enabled && enabled_) {
    SetIdle(false);
    return;
  }
  idle_ = false;
  if (enabled) {
    lastTick_ = NowMs();
    timer_.start(Period());
  } else {
    timer_.stop();
  }
  enabled_ = enabled;
}

void QtTimer::SetInterval(std::int32_t milliseconds) {
  interval_ = milliseconds;
}

void QtTimer::SetIdle(bool idle) {
  if (idle == idle_ || !enabled_) return;
  idle_ = idle;
  if (idle) {
    // Made from a tick, so the slower ticks start on the schedule.
    if (idleStride_ > 0) {
      timer_.start(Period());
    } else {
      timer_.stop();
    }
    return;
  }
  const std::int64_t period = std::max(interval_, 1);
  // The rest of the pending period; its tick then sets the whole period again.
  timer_.start(
      static_cast<int>(tick_schedule::WaitAfterWaking(lastTick_ + period, period, NowMs())));
}

}  // namespace vistrel::linux_shell
