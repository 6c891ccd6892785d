// The wait that Pause and the hold of Freeze and Lock run in: Qt's events, up to a deadline.
#pragma once

#include "platform/event_pump.h"

namespace vistrel::linux_shell {

class QtEventPump : public platform::EventPump {
 public:
  void WaitForEvents(double maxSeconds) override;
};

}  // namespace vistrel::linux_shell
