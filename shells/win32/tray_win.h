// The notification-area icon through Shell_NotifyIconA, with the core's record copied field by
// field into the platform's first-form NOTIFYICONDATAA (88 bytes on 32-bit Windows; larger on
// 64-bit, where the handles are wider).
#pragma once

#include "platform/tray.h"
#include "win32_api.h"

namespace vistrel::win32 {

// The platform's record filled from the core's, with the first-form size.
NOTIFYICONDATAA ToNotifyIconData(const TrayIconRecord& record);

class WinTray : public platform::Tray {
 public:
  bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) override;
};

}  // namespace vistrel::win32
