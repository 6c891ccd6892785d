// The question asked of the compositor before Qt starts: does it offer capture with cursor
// sessions, and does one of them enter? A connection of its own, closed again. Where the
// globals are missing (GNOME, Plasma, wlroots before 0.19) the answer costs one roundtrip.
#pragma once

#include <chrono>

#include "wayland/startup_order.h"

namespace vistrel::linux_shell::wayland {

// The globals the compositor path needs, by interface name: what a registry offers.
struct CaptureGlobals {
  bool seat = false, output = false, shm = false, sources = false, copyCapture = false;
  bool screencopy = false;
  // Cursor sessions come with ext-image-copy-capture; pictures from it or from wlr-screencopy.
  bool Enough() const { return seat && output && shm && sources && copyCapture; }
};

// Asks the compositor of WAYLAND_DISPLAY, waiting at most wait for a cursor session to enter.
CompositorCapture ProbeCompositor(std::chrono::milliseconds wait);

}  // namespace vistrel::linux_shell::wayland
