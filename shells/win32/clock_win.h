// The calendar year of the local clock, and the steady clock.
#pragma once

#include "platform/clock.h"
#include "win32_api.h"

namespace vistrel::win32 {

class WinClock : public platform::Clock {
 public:
  int CurrentYear() override {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t.wYear;
  }
  // The performance counter, which setting the clock does not move. Asked directly rather than
  // through the C++ library's steady clock, which some MinGW builds take from the time of day.
  double SteadySeconds() override {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
  }
};

}  // namespace vistrel::win32
