#include "screen_win.h"

#include "gdi_handles.h"

namespace vistrel::win32 {

double ScreenTwipsPerPixel() {
  // The system DPI, which the stored geometry has always been measured in. Asked by name where
  // Windows has it (10, version 1607 on): a per-monitor aware process must not take a
  // monitor's DPI for it.
  using DpiForSystem = UINT(WINAPI*)();
  int dpi = 0;
  if (const HMODULE user32 = GetModuleHandleA("user32.dll")) {
    if (const auto get = reinterpret_cast<DpiForSystem>(
            reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForSystem")))) {
      dpi = static_cast<int>(get());
    }
  }
  if (dpi <= 0) dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSX);
  return 1440.0 / (dpi > 0 ? dpi : 96);
}

platform::CursorPoint WinScreen::CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

void WinScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                              std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  destWidth_ = destWidth;
  destHeight_ = destHeight;
  srcX_ = srcX;
  srcY_ = srcY;
  srcWidth_ = srcWidth;
  srcHeight_ = srcHeight;
  drawn_ = true;
  Copy(target_);
}

void WinScreen::Repaint() {
  if (drawn_) Copy(target_);
}

void WinScreen::Copy(HDC target) {
  // No stretch mode is set: the view only ever enlarges, where the default mode replicates the
  // nearest pixel.
  const WindowDc screen(GetDesktopWindow());
  StretchBlt(target, 0, 0, destWidth_, destHeight_, screen.get(), srcX_, srcY_, srcWidth_,
             srcHeight_, SRCCOPY);
}

double WinScreen::LeftTwips() {
  return GetSystemMetrics(SM_XVIRTUALSCREEN) * twipsPerPixel_;
}
double WinScreen::TopTwips() {
  return GetSystemMetrics(SM_YVIRTUALSCREEN) * twipsPerPixel_;
}
double WinScreen::WidthTwips() {
  return GetSystemMetrics(SM_CXVIRTUALSCREEN) * twipsPerPixel_;
}
double WinScreen::HeightTwips() {
  return GetSystemMetrics(SM_CYVIRTUALSCREEN) * twipsPerPixel_;
}

namespace {
platform::PixelRect FromRect(const RECT& r) {
  return {double(r.left), double(r.top), double(r.right - r.left), double(r.bottom - r.top)};
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto& list = *reinterpret_cast<std::vector<platform::Monitor>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  const platform::Monitor m{FromRect(info.rcMonitor), FromRect(info.rcWork)};
  // The primary monitor first.
  list.insert((info.dwFlags & MONITORINFOF_PRIMARY) ? list.begin() : list.end(), m);
  return TRUE;
}
}  // namespace

std::vector<platform::Monitor> WinScreen::Monitors() {
  std::vector<platform::Monitor> monitors;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
  return monitors;
}

}  // namespace vistrel::win32
