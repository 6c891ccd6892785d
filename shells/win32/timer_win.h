// A window timer (SetTimer) in the place of the runtime's timer control. An interval change
// waits for the pending period to run out, as the core expects: it is applied after the next
// tick instead of restarting the count. An idle timer is killed, so that it wakes nothing (under
// Wine each WM_TIMER is also a wineserver call); woken, it is set again for the rest of the
// period it would have been in, so the ticks keep their old schedule.
#pragma once

#include "platform/timer.h"
#include "win32_api.h"

namespace vistrel::win32 {

class WinTimer : public platform::Timer {
 public:
  WinTimer(UINT_PTR id, std::int32_t intervalMs, bool enabled)
      : id_(id), interval_(intervalMs), enabled_(enabled) {}

  // The window whose WM_TIMER carries the ticks; starts the timer if it is enabled.
  void Attach(HWND hwnd);
  // Called after each tick has been handled: applies an interval set meanwhile.
  void AfterTick();

  bool Enabled() override { return enabled_; }
  void SetEnabled(bool enabled) override;
  std::int32_t Interval() override { return interval_; }
  void SetInterval(std::int32_t milliseconds) override;
  void SetIdle(bool idle) override;

 private:
  void Start();
  void StartIn(std::int32_t milliseconds);

  UINT_PTR id_;
  std::int32_t interval_;
  std::int32_t running_ = 0;  // the interval the system timer was started with
  bool enabled_;
  bool idle_ = false;
  HWND hwnd_ = nullptr;
  ULONGLONG due_ = 0;        // GetTickCount64 when the next tick is due while it runs
  std::int32_t period_ = 0;  // the period between ticks, which AfterTick sets after each one
};

}  // namespace vistrel::win32
