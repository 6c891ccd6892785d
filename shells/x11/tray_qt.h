// The tray icon on QSystemTrayIcon: the record's tip and the magnifier icon, and its mouse
// actions as the platform's mouse message numbers (515 left double click, 517 right button up).
// Also watches the tray host, so that a restarted host gets the icon back.
#pragma once

#include <QSystemTrayIcon>
#include <functional>
#include <memory>

#include "platform/tray.h"
#include "x11_connection.h"

namespace vistrel::x11 {

class QtTray : public platform::Tray {
 public:
  // message: called (on the UI thread, after the Qt event that caused it) with the number.
  // hostChanged: a tray host took the tray selection after the program started.
  QtTray(const Connection& x, std::function<void(int message)> message,
         std::function<void()> hostChanged);
  ~QtTray() override;

  bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;

  // Feeds X events from the shell's event filter; true when the event was the tray's.
  bool HandleXEvent(const void* event);

 private:
  void WatchTrayHost();

  const Connection& x_;
  std::function<void(int)> message_;
  std::function<void()> hostChanged_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  bool statusNotifierHost_ = false;
  xcb_atom_t selection_ = XCB_NONE;
  std::uint8_t xfixesEvent_ = 0;
};

}  // namespace vistrel::x11
