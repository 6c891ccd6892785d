// The local wall clock: seconds since midnight to the millisecond, and the year.
#pragma once

#include "platform/clock.h"
#include "win32_api.h"

namespace vistrel::win32 {

class WinClock : public platform::Clock {
 public:
  double SecondsSinceMidnight() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wHour * 3600.0 + t.wMinute * 60.0 + t.wSecond + t.wMilliseconds / 1000.0;
  }
  int CurrentYear() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wYear;
  }
};

}  // namespace vistrel::win32
