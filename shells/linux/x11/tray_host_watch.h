// A tray host that starts (or restarts) after the program takes the XEmbed tray's selection; the
// program then adds its icon again, as it does on Windows when the task bar comes back. Only X11
// has such a selection to watch: a StatusNotifier host's icon is re-registered by Qt itself.
#pragma once

#include <cstdint>
#include <functional>

#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {

class TrayHostWatch {
 public:
  // hostChanged: called on the UI thread, after the X event, once Qt has docked with the new host.
  TrayHostWatch(const Connection& x, std::function<void()> hostChanged);

  // Fed X events from the backend's event filter; never consumes one (Qt needs it too).
  void HandleXEvent(const void* event);

 private:
  std::function<void()> hostChanged_;
  xcb_atom_t selection_ = XCB_NONE;
  std::uint8_t xfixesEvent_ = 0;
};

}  // namespace vistrel::linux_shell::x11
