#include "screen_win.h"

namespace vistrel::win32 {

double ScreenTwipsPerPixel() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return 1440.0 / (dpi > 0 ? dpi : 96);
}

platform::CursorPoint WinScreen::CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return {p.x, p.y};
}

void WinScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                              std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  // No stretch mode is set: the view only ever enlarges, where the default mode replicates the
  // nearest pixel.
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  StretchBlt(target_, 0, 0, destWidth, destHeight, screen, srcX, srcY, srcWidth, srcHeight,
             SRCCOPY);
  ReleaseDC(desktop, screen);
}

double WinScreen::WidthTwips() {
  return GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel_;
}
double WinScreen::HeightTwips() {
  return GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel_;
}

}  // namespace vistrel::win32
