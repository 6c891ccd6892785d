// The screen as GDI gives it: the cursor, the virtual screen (every monitor together, which
// starts at negative coordinates when a monitor lies left of or above the primary one), the
// monitors' work areas, and the one stretched copy per drawing tick from the desktop window's
// device context onto the main window's.
#pragma once

#include "platform/screen.h"
#include "win32_api.h"

namespace vistrel::win32 {

// 1440 / the system DPI (15 at 96 DPI), fixed for the session. The process is per-monitor DPI
// aware, so every coordinate is a physical pixel; this one ratio turns them into the twips of the
// stored geometry, as it did when the process was system-DPI aware.
double ScreenTwipsPerPixel();

class WinScreen : public platform::Screen {
 public:
  explicit WinScreen(double twipsPerPixel) : twipsPerPixel_(twipsPerPixel) {}
  // The main window's own device context, the destination of every copy.
  void SetTarget(HDC windowDc) { target_ = windowDc; }

  // Repeats the last copy (the live screen at the last source rectangle) onto an uncovered part
  // of the view, once there has been one.
  bool HasPicture() const { return drawn_; }
  void Repaint();

  platform::CursorPoint CursorPos() override;
  // GetCursorPos is cheap on Windows; raw input to learn of motion instead would come at the
  // mouse's rate, so Timer1 keeps asking on every tick.
  bool WakesTimer1OnCursorMotion() override { return false; }
  void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                     std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) override;
  double LeftTwips() override;
  double TopTwips() override;
  double WidthTwips() override;
  double HeightTwips() override;
  double TwipsPerPixelX() override { return twipsPerPixel_; }
  double TwipsPerPixelY() override { return twipsPerPixel_; }
  std::vector<platform::Monitor> Monitors() override;

 private:
  void Copy(HDC target);

  double twipsPerPixel_;
  HDC target_ = nullptr;
  bool drawn_ = false;
  std::int32_t destWidth_ = 0, destHeight_ = 0;
  std::int32_t srcX_ = 0, srcY_ = 0, srcWidth_ = 0, srcHeight_ = 0;
};

}  // namespace vistrel::win32
