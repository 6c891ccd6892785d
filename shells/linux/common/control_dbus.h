// The running program's two hot-key actions on the session bus, for desktops where it can not
// grab keys itself (Wayland sessions) or where the user prefers the desktop's own shortcuts:
//   example.tarnwell.Vistrel /example/tarnwell/Vistrel example.tarnwell.Vistrel.ToggleFreeze
//   ... .FreezeAndLock
//   ... .ShowMenu      (the tray's menu at the mouse, for desktops without a tray)
// A call is answered at once and its action runs from the event loop afterwards, so a caller
// never waits for the hold of Freeze and Lock.
#pragma once

#include <QDBusVirtualObject>
#include <functional>

namespace vistrel::linux_shell {

class DBusControl : public QDBusVirtualObject {
 public:
  // binding 0 toggles Freeze, 1 starts Freeze and Lock (the hot keys' numbering); showMenu
  // opens the tray's menu.
  DBusControl(std::function<void(int binding)> action, std::function<void()> showMenu);
  ~DBusControl() override;

  // Takes the bus name and the object; false (and nothing registered) when there is no session
  // bus or the name is taken.
  bool Register();

  QString introspect(const QString& path) const override;
  bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

 private:
  std::function<void(int)> action_;
  std::function<void()> showMenu_;
  bool registered_ = false;
};

}  // namespace vistrel::linux_shell
