// The tray icon on QSystemTrayIcon: the record's tip and the magnifier icon, and its mouse
// actions as the platform's mouse message numbers (515 left double click, 517 right button up).
// Also watches the tray host, so that a restarted host gets the icon back. StatusNotifier hosts
// draw the menu themselves: for them the icon carries a copy of the popup menu over dbusmenu.
#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

#include "app/menu.h"
#include "platform/tray.h"
#include "x11_connection.h"

namespace vistrel::x11 {

class QtTray : public platform::Tray {
 public:
  // message: called (on the UI thread, after the Qt event that caused it) with the number.
  // hostChanged: a tray host took the tray selection after the program started (watched on X11
  // only: x is nullptr on Wayland).
  QtTray(const Connection* x, std::function<void(int message)> message,
         std::function<void()> hostChanged);
  ~QtTray() override;

  bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;

  // Feeds X events from the shell's event filter; true when the event was the tray's.
  bool HandleXEvent(const void* event);

  // The exported menu follows the core's check marks and enabled states; the shell calls this
  // after every handler. Nothing happens without a StatusNotifier host.
  void SyncMenu(const MenuState& state);
  // An entry chosen in the host's menu reaches the core as the right-button notification, and
  // the popup menu the core then asks for answers with that entry at once instead of showing
  // itself: so the core runs it exactly as a choice from its own popup (and ignores it while
  // another tray command is still running, as it does there).
  std::optional<MenuItem> TakeChosenEntry();

 private:
  void ExportMenu();
  void WatchTrayHost();

  const Connection* x_;
  std::function<void(int)> message_;
  std::function<void()> hostChanged_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  std::unique_ptr<QMenu> exportedMenu_;
  std::optional<MenuItem> chosen_;
  bool statusNotifierHost_ = false;
  xcb_atom_t selection_ = XCB_NONE;
  std::uint8_t xfixesEvent_ = 0;
};

}  // namespace vistrel::x11
