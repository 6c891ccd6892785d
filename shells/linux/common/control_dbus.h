// The running program's two hot-key actions on the session bus, for desktops where it can not
// grab keys itself (Wayland sessions) or where the user prefers the desktop's own shortcuts:
//   example.tarnwell.Vistrel /example/tarnwell/Vistrel example.tarnwell.Vistrel.ToggleFreeze
//   ... .FreezeAndLock
//   ... .ShowMenu      (the tray's menu at the mouse, for desktops without a tray)
//   ... .Show          (the window shown and brought to the front)
//   ... .HasTrayIcon   (answers whether the icon is in a tray: what a second start asks)
// A call is answered at once and its action runs from the event loop afterwards, so a caller
// never waits for the hold of Freeze and Lock.
#pragma once

#include <QDBusVirtualObject>
#include <functional>
#include <optional>

namespace vistrel::linux_shell {

struct ControlActions {
  // binding 0 toggles Freeze, 1 starts Freeze and Lock (the hot keys' numbering).
  std::function<void(int binding)> hotKey;
  std::function<void()> showMenu;
  std::function<void()> show;
  std::function<bool()> hasTrayIcon;  // answered at once, not from the event loop
};

// What a second start asks of the running copy; nothing when no copy answers on the bus
// within a few seconds.
std::optional<bool> AskRunningCopyHasTrayIcon();
bool AskRunningCopyToShow();

class DBusControl : public QDBusVirtualObject {
 public:
  explicit DBusControl(ControlActions actions);
  ~DBusControl() override;

  // Takes the bus name and the object; false (and nothing registered) when there is no session
  // bus or the name is taken.
  bool Register();

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  ControlActions actions_;
  bool registered_ = false;
};

}  // namespace vistrel::linux_shell
