// The calendar year of the local clock, and the steady clock.
#pragma once

#include <QDate>
#include <chrono>

#include "platform/clock.h"

namespace vistrel::linux_shell {

class QtClock : public platform::Clock {
 public:
  int CurrentYear() override { return QDate::currentDate().year(); }
  // CLOCK_MONOTONIC: setting the clock does not move it.
  double SteadySeconds() override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }
};

}  // namespace vistrel::linux_shell
