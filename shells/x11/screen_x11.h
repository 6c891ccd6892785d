// The screen as the magnifier sees it on X11: the pointer position and the root window's size in
// device pixels, the twips per pixel of the screen's logical DPI, and the scaled copy, which the
// main window's renderer makes.
#pragma once

#include "platform/screen.h"
#include "view_renderer.h"
#include "x11_connection.h"

namespace vistrel::x11 {

// 1440 twips per inch over the screen's logical DPI in device pixels (15 at 96 DPI).
double TwipsPerPixelOfPrimaryScreen();

class XcbScreen : public platform::Screen {
 public:
  XcbScreen(const Connection& x, double twipsPerPixel);
  void SetRenderer(ViewRenderer* renderer) { renderer_ = renderer; }

  platform::CursorPoint CursorPos() override;
  void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                     std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) override;
  double WidthTwips() override;
  double HeightTwips() override;
  double TwipsPerPixelX() override { return twipsPerPixel_; }
  double TwipsPerPixelY() override { return twipsPerPixel_; }

 private:
  const Connection& x_;
  double twipsPerPixel_;
  ViewRenderer* renderer_ = nullptr;
  platform::CursorPoint last_;
};

}  // namespace vistrel::x11
