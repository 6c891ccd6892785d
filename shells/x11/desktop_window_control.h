// What a Wayland client cannot do for its own window, some desktops do on request: put it at a
// place and keep it above other windows. sway takes commands over its IPC socket, KWin runs
// scripts loaded over D-Bus. Elsewhere (GNOME) there is no such way, and the window goes where
// the compositor puts it.
#pragma once

#include <memory>

class QWidget;

namespace vistrel::x11 {

class DesktopWindowControl {
 public:
  virtual ~DesktopWindowControl() = default;
  // The main window of this process (found by its process id and its title), moved so that its
  // outer frame's top-left corner is at x, y desktop pixels. False when the desktop refused or
  // the window is not there (yet).
  virtual bool Move(int x, int y) = 0;
  // Keeps the window above all others, or takes that back. False as above.
  virtual bool KeepAbove(bool above) = 0;

  // Both, once the desktop knows the window: it lists a window only after its first picture,
  // and forgets the place when the window is hidden, so this follows every show.
  void ApplyWhenShown(QWidget& window, int x, int y, bool above);
};

// The control of the running desktop (sway when SWAYSOCK names its socket, KWin when it owns
// org.kde.KWin on the session bus); nullptr where the desktop offers none.
std::unique_ptr<DesktopWindowControl> DesktopWindowControlOfSession(const char* windowTitle);

}  // namespace vistrel::x11
