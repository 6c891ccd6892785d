#include "timer_win.h"

#include <algorithm>

#include "magnifier/tick_schedule.h"

namespace vistrel::win32 {

void WinTimer::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  if (enabled_) Start();
}

void WinTimer::Start() {
  StartIn(interval_);
  period_ = running_;
}

void WinTimer::StartIn(std::int32_t milliseconds) {
  if (!hwnd_) return;
  // An interval of 0 would mean "stopped" to the runtime's timer; the system would take it as
  // its shortest period.
  if (interval_ <= 0) {
    KillTimer(hwnd_, id_);
    running_ = 0;
    return;
  }
  SetTimer(hwnd_, id_, static_cast<UINT>(milliseconds), nullptr);
  running_ = milliseconds;
  due_ = GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
}

void WinTimer::SetEnabled(bool enabled) {
  if (enabled && enabled_) {
    SetIdle(false);
    return;
  }
  idle_ = false;
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (!hwnd_) return;
  if (enabled) {
    Start();
  } else {
    KillTimer(hwnd_, id_);
    running_ = 0;
  }
}

void WinTimer::SetInterval(std::int32_t milliseconds) {
  interval_ = milliseconds;
}

void WinTimer::SetIdle(bool idle) {
  if (idle == idle_ || !enabled_ || !hwnd_) return;
  idle_ = idle;
  if (idle) {
    KillTimer(hwnd_, id_);
    return;
  }
  if (running_ <= 0) return;
  const std::int64_t wait = tick_schedule::WaitAfterWaking(
      static_cast<std::int64_t>(due_), period_, static_cast<std::int64_t>(GetTickCount64()));
  // Its first tick at the rest of the period; AfterTick then sets the whole period again. At
  // least 1 ms: a timer running at 0 counts as stopped.
  StartIn(static_cast<std::int32_t>(std::max<std::int64_t>(wait, 1)));
}

void WinTimer::AfterTick() {
  if (!enabled_ || idle_) return;
  if (interval_ != running_) {
    Start();
  } else {
    due_ = GetTickCount64() + static_cast<ULONGLONG>(running_);
  }
}

}  // namespace vistrel::win32
