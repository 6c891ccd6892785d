// The screen as the magnifier sees it: where the cursor is, where the desktop lies (every
// monitor together), each monitor with its work area, and one scaled copy of a screen rectangle
// onto the whole view.
#pragma once

#include <cstdint>
#include <vector>

namespace vistrel::platform {

struct CursorPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// A rectangle in desktop pixels.
struct PixelRect {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  bool operator==(const PixelRect&) const = default;
};

// One monitor: its whole rectangle, and its work area (the part that panels and docks leave free).
struct Monitor {
  PixelRect whole;
  PixelRect work;
};

class Screen {
 public:
  virtual ~Screen() = default;

  // The cursor in screen pixels.
  virtual CursorPoint CursorPos() = 0;

  // Whether, after the CursorPos just made, the platform itself takes Timer1 out of idleness
  // when the cursor moves (a move made in any way, including a warp by another program, seen
  // within a few ticks). Where motion is seen only by asking, false: Timer1 never idles.
  virtual bool WakesTimer1OnCursorMotion() = 0;

  // One drawing tick: take the screen's device context, copy the source rectangle onto the view
  // rectangle (0, 0, destWidth, destHeight) of the main window with nearest-pixel replication,
  // and give the context back. No result: a failed copy simply leaves the old picture.
  virtual void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                             std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) = 0;

  // The desktop, all monitors together, in twips: its top-left corner (0, 0 with one monitor;
  // negative where a monitor lies left of or above the primary one) and its size.
  virtual double LeftTwips() = 0;
  virtual double TopTwips() = 0;
  virtual double WidthTwips() = 0;
  virtual double HeightTwips() = 0;
  // The twips per pixel of each axis (15 at 96 DPI).
  virtual double TwipsPerPixelX() = 0;
  virtual double TwipsPerPixelY() = 0;

  // Every monitor, the primary one first; empty when the platform can not tell.
  virtual std::vector<Monitor> Monitors() = 0;
};

}  // namespace vistrel::platform
