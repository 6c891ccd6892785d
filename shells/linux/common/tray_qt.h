// The tray icon on QSystemTrayIcon: the record's tip and the magnifier icon, and its mouse
// actions as the platform's mouse message numbers (515 left double click, 517 right button up).
// StatusNotifier hosts draw the menu themselves: for them the icon carries a copy of the popup menu
// over dbusmenu.
#pragma once

#include <QMenu>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

#include "app/menu.h"
#include "platform/tray.h"

namespace vistrel::linux_shell {

class QtTray : public platform::Tray {
 public:
  // message: called (on the UI thread, after the Qt event that caused it) with the number.
  explicit QtTray(std::function<void(int message)> message);
  ~QtTray() override;

  bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;

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

  std::function<void(int)> message_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  std::unique_ptr<QMenu> exportedMenu_;
  std::optional<MenuItem> chosen_;
  bool statusNotifierHost_ = false;
};

}  // namespace vistrel::linux_shell
