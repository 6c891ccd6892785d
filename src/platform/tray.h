// The notification-area icon: one call, with the message (add or delete) and the tray record.
#pragma once

#include "tray/tray_icon_record.h"

namespace vistrel::platform {

class Tray {
 public:
  virtual ~Tray() = default;
  // Returns whether the platform took the request; the core never looks.
  virtual bool NotifyIcon(std::uint32_t message, const TrayIconRecord& record) = 0;
};

}  // namespace vistrel::platform
