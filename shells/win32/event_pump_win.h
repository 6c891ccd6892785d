// Pause's wait: sleeps in MsgWaitForMultipleObjectsEx until a message arrives or the deadline
// passes, then handles every pending message (which may re-enter the core).
#pragma once

#include "platform/event_pump.h"

namespace vistrel::win32 {

// Handles every message waiting in the thread's queue; dialog keys go to the active dialog.
void HandlePendingMessages();

class WinEventPump : public platform::EventPump {
 public:
  void WaitForEvents(double maxSeconds) override;
};

}  // namespace vistrel::win32
