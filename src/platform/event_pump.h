// Waiting without spinning: blocks until an event arrives or the deadline passes, and handles
// every event that is pending by then (timer ticks, clicks, menu commands, hot keys), which may
// re-enter the core.
#pragma once

namespace vistrel::platform {

class EventPump {
 public:
  virtual ~EventPump() = default;
  virtual void WaitForEvents(double maxSeconds) = 0;
};

}  // namespace vistrel::platform
