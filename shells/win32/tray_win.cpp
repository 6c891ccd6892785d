#include "tray_win.h"

#include <cstring>

namespace vistrel::win32 {

#ifndef _WIN64
static_assert(NOTIFYICONDATAA_V1_SIZE == kTrayRecordSize,
              "the 32-bit first form of NOTIFYICONDATAA is the 88-byte tray record");
#endif
static_assert(sizeof(NOTIFYICONDATAA{}.szTip) >= sizeof(TrayIconRecord{}.szTip));

NOTIFYICONDATAA ToNotifyIconData(const TrayIconRecord& record) {
  NOTIFYICONDATAA data{};
  // The record says 88; on 64-bit Windows the first form is as large as the platform lays it out.
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = reinterpret_cast<HWND>(record.hWnd);
  data.uID = record.uID;
  data.uFlags = record.uFlags;
  data.uCallbackMessage = record.uCallbackMessage;
  data.hIcon = reinterpret_cast<HICON>(record.hIcon);
  std::memcpy(data.szTip, record.szTip.data(), record.szTip.size());
  return data;
}

bool WinTray::NotifyIcon(std::uint32_t message, const TrayIconRecord& record) {
  NOTIFYICONDATAA data = ToNotifyIconData(record);
  return Shell_NotifyIconA(message, &data) != FALSE;
}

}  // namespace vistrel::win32
