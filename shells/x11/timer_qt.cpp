#include "timer_qt.h"

#include <algorithm>

namespace vistrel::x11 {

QtTimer::QtTimer(std::int32_t intervalMs, std::function<void()> tick)
    : interval_(intervalMs), tick_(std::move(tick)) {
  timer_.setTimerType(Qt::PreciseTimer);
  timer_.setInterval(std::max(interval_, 1));
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    // The period that starts now runs at the interval in force, including a change the tick
    // itself makes.
    const auto apply = [this] {
      if (timer_.isActive() && timer_.interval() != std::max(interval_, 1)) {
        timer_.setInterval(std::max(interval_, 1));
      }
    };
    apply();
    tick_();
    apply();
  });
}

void QtTimer::Start(bool enabled) {
  SetEnabled(enabled);
}

void QtTimer::SetEnabled(bool enabled) {
  if (enabled && !timer_.isActive()) {
    timer_.start(std::max(interval_, 1));
  } else if (!enabled) {
    timer_.stop();
  }
}

void QtTimer::SetInterval(std::int32_t milliseconds) {
  interval_ = milliseconds;
}

}  // namespace vistrel::x11
