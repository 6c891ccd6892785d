#include "event_pump_win.h"

#include <cmath>

#include "win32_api.h"

namespace vistrel::win32 {

namespace {

// Keys for an open About dialog (Tab, Enter on its button) while a wait pumps its messages.
bool IsDialogMessageForActiveDialog(MSG& msg) {
  HWND active = GetActiveWindow();
  if (!active) return false;
  char name[16] = {};
  GetClassNameA(active, name, sizeof name);
  if (lstrcmpA(name, "#32770") != 0) return false;
  return IsDialogMessageA(active, &msg) != FALSE;
}

}  // namespace

void HandlePendingMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // The program ends only through Runtime::End; a stray quit request ends nothing.
    if (msg.message == WM_QUIT) continue;
    if (IsDialogMessageForActiveDialog(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void WinEventPump::WaitForEvents(double maxSeconds) {
  if (maxSeconds > 0) {
    const double ms = std::ceil(maxSeconds * 1000.0);
    const DWORD timeout = ms >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(ms);
    // MWMO_INPUTAVAILABLE: a message already in the queue ends the wait at once.
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  HandlePendingMessages();
}

}  // namespace vistrel::win32
