// What a Wayland client cannot do for its own window, some desktops do on request: put it at a
// place and keep it above other windows. sway takes commands over its IPC socket, KWin runs
// scripts loaded over D-Bus. Elsewhere (GNOME) there is no such way, and the window goes where
// the compositor puts it. The controls themselves are in desktop/.
#pragma once

#include <QPoint>
#include <QSize>
#include <functional>
#include <optional>

class QWidget;

namespace vistrel::linux_shell {

class DesktopWindowControl {
 public:
  // Whether the desktop did it: false when it refused, did not answer, or the window is not
  // there (yet).
  using Answer = std::function<void(bool done)>;

  virtual ~DesktopWindowControl() = default;
  // The main window of this process (found by its process id and its title), moved so that its
  // outer frame's top-left corner is at x, y desktop pixels (a Wayland compositor's logical
  // ones, whatever the window's scale). The request returns at once, with no event handled
  // meanwhile; the answer comes from the event loop when the desktop gives it (sway, and a request
  // that fails at once, answer before the call returns). No answer comes once the control is gone.
  virtual void Move(int x, int y, Answer answer = {}) = 0;
  // Keeps the window above all others, or takes that back. Answered as above.
  virtual void KeepAbove(bool above, Answer answer = {}) = 0;

  // Where the window's outer frame's top-left corner is now, in desktop pixels, as the desktop
  // tells it (the user may have moved the window); nullopt when it can not tell.
  virtual std::optional<QPoint> Where() = 0;

  // Takes back what the control left in the desktop, and returns once the desktop has it: the
  // process ends right after, without destructors.
  virtual void Withdraw() {}

  // Both, once the desktop knows the window: it lists a window only after its first picture,
  // and forgets the place when the window is hidden, so this follows every show. The window
  // keeps the size it was shown with: sway may first tile a Wayland window, which then floats
  // with the tile's size.
  void ApplyWhenShown(QWidget& window, int x, int y, bool above);
  // Whether the desktop has put the window at the place asked since ApplyWhenShown: until then
  // the window stands where the desktop chose, which is no place of the user's.
  bool PlacedSinceShown() const { return placed_; }

 private:
  void Attempt(QWidget* window, int x, int y, bool above, QSize size, int attemptsLeft);

  bool placed_ = false;
  QSize ownSize_;  // the window's size when it was last shown after being placed
};

}  // namespace vistrel::linux_shell
