// The local wall clock: seconds since midnight to the millisecond, and the year.
#pragma once

#include <QDateTime>

#include "platform/clock.h"

namespace vistrel::linux_shell {

class QtClock : public platform::Clock {
 public:
  double SecondsSinceMidnight() override {
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
  }
  int CurrentYear() override { return QDate::currentDate().year(); }
};

}  // namespace vistrel::linux_shell
