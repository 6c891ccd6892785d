#include "common/no_tray_notice.h"

#include <QFileInfo>

#include "common/state_dir.h"

namespace vistrel::linux_shell {

bool FirstStartWithoutTray() {
  const QString name = QStringLiteral("Vistrel.no-tray-notice-shown");
  if (QFileInfo::exists(StateFilePath(name))) return false;
  WriteStateFile(name, "Vistrel said once how to reach its menu on a desktop without a tray.\n");
  return true;
}

std::string NoTrayNoticeText(bool busControl) {
  std::string text =
      "This desktop has no tray, so Vistrel shows no icon.\r\n"
      "\r\n"
      "To open Vistrel's menu, press the Menu key or Shift+F10 while the Vistrel window has "
      "the focus.";
  if (busControl) {
    text +=
        "\r\nTo bring a hidden Vistrel window back, start Vistrel again.\r\n"
        "readme.txt (Help in the menu) gives commands for your desktop's own shortcuts, "
        "ShowMenu among them.";
  }
  return text;
}

}  // namespace vistrel::linux_shell
