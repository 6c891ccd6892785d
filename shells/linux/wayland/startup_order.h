// The way the program meets the desktop, decided once before Qt starts (the platform plugin is
// chosen from it): the compositor's own capture protocols where it offers them with a pointer
// that it reports, else the ScreenCast portal, else the X11 program through XWayland. Pure, so
// every combination is a row of a unit table.
#pragma once

#include <string_view>

namespace vistrel::linux_shell::wayland {

enum class Way { kCompositor, kPortal, kX11 };

// What the environment says before the compositor is asked.
struct Surroundings {
  std::string_view namedPlatform;  // the first entry of QT_QPA_PLATFORM, or empty
  bool waylandSession = false;     // XDG_SESSION_TYPE=wayland with WAYLAND_DISPLAY set
  bool sway = false;               // SWAYSOCK set: its portal tells no pointer position
};

// What the compositor answered about capturing the screen with the pointer's place.
enum class CompositorCapture {
  kNone,       // no cursor sessions or no capture protocol (GNOME, Plasma, wlroots before 0.19)
  kNoPointer,  // offered, but no cursor session entered in time (no pointer device, a capture
               // painting the cursor meanwhile)
  kReady,      // a cursor session entered
};

// Whether the compositor is worth asking: only where a Wayland client may run at all.
bool AskCompositor(const Surroundings& surroundings);

Way ChooseWay(const Surroundings& surroundings, CompositorCapture capture);

}  // namespace vistrel::linux_shell::wayland
