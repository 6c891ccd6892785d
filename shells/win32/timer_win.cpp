#include "timer_win.h"

namespace vistrel::win32 {

void WinTimer::Attach(HWND hwnd) {
  hwnd_ = hwnd;
  if (enabled_) Start();
}

void WinTimer::Start() {
  if (!hwnd_) return;
  // An interval of 0 would mean "stopped" to the runtime's timer; the system would take it as
  // its shortest period.
  if (interval_ <= 0) {
    KillTimer(hwnd_, id_);
    running_ = 0;
    return;
  }
  SetTimer(hwnd_, id_, static_cast<UINT>(interval_), nullptr);
  running_ = interval_;
}

void WinTimer::SetEnabled(bool enabled) {
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

void WinTimer::AfterTick() {
  if (enabled_ && interval_ != running_) Start();
}

}  // namespace vistrel::win32
