#include "screen_win.h"

#include "gdi_handles.h"

namespace vistrel::win32 {

double ScreenTwipsPerPixel() {
  const int dpi = GetDeviceCaps(WindowDc(nullptr).get(), LOGPIXELSX);
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

double WinScreen::WidthTwips() {
  return GetSystemMetrics(SM_CXSCREEN) * twipsPerPixel_;
}
double WinScreen::HeightTwips() {
  return GetSystemMetrics(SM_CYSCREEN) * twipsPerPixel_;
}

}  // namespace vistrel::win32
