// The capture tick of Timer1: follow the cursor and redraw only when it moved (or a redraw was
// forced), or redraw the fixed rectangle on every tick while frozen. The tick costs one cursor
// query and two comparisons when nothing moved: no device context, no copy; where the platform
// reports cursor motion, the timer idles meanwhile.
#include <algorithm>

#include "app/frm_main.h"
#include "app/numeric.h"
#include "magnifier/source_geometry.h"

namespace vistrel {
namespace {
// Positions of very large desktops are clamped into the 16-bit fields: the tick never fails.
std::int32_t Clamp16(std::int32_t v) {
  return std::clamp<std::int32_t>(v, -32768, 32767);
}
}  // namespace

void frmMain::Timer1_Timer() {
  // A tick that comes before start-up has chosen the zoom has nothing to draw yet.
  if (ZoomFactor < kMinZoom) return;
  const platform::CursorPoint cursor = p_.screen.CursorPos();
  const std::int32_t x = Clamp16(cursor.x);
  const std::int32_t y = Clamp16(cursor.y);
  if (SourceLocked == kFalse) {
    // Compared as signed values: -9999 after ForceRedraw differs from every real position.
    if (x == LastCursorX && y == LastCursorY) {
      // Nothing to draw until the cursor moves or a redraw is forced: the timer may idle if the
      // platform wakes it when the cursor moves (ForceRedraw and Freeze wake it here).
      if (p_.screen.WakesTimer1OnCursorMotion()) p_.timer1.SetIdle(true);
      return;
    }
    // Moving (also when an idle timer's rarer tick found a warp): tick at the full rate.
    WakeCaptureTick();
    LastCursorX = static_cast<std::int16_t>(x);
    LastCursorY = static_cast<std::int16_t>(y);
    double sx = geometry::CentredOrigin(x, ViewWidth, ZoomFactor);
    double sy = geometry::CentredOrigin(y, ViewHeight, ZoomFactor);
    ClampSource(sx, sy);
    DrawAt(sx, sy);
    LockedSourceX = ClampToInt16(sx);
    LockedSourceY = ClampToInt16(sy);
  } else {
    // Frozen: the clamp serves this tick only, the stored corner stays (a zoom change while
    // frozen keeps the corner and shifts the larger rectangle for display only).
    double sx = LockedSourceX;
    double sy = LockedSourceY;
    ClampSource(sx, sy);
    DrawAt(sx, sy);
  }
}

void frmMain::ClampSource(double& sx, double& sy) const {
  sx = geometry::ClampOrigin(sx, ViewWidth, ZoomFactor, ScreenLeft, ScreenWidth);
  sy = geometry::ClampOrigin(sy, ViewHeight, ZoomFactor, ScreenTop, ScreenHeight);
}

void frmMain::DrawAt(double sx, double sy) {
  p_.screen.StretchToView(ViewWidth, ViewHeight, ToInt32(sx), ToInt32(sy),
                          geometry::SourceSize(ViewWidth, ZoomFactor),
                          geometry::SourceSize(ViewHeight, ZoomFactor));
}

void frmMain::Form_Resize() {
  ViewWidth = ClampToInt16(p_.window.ClientWidth());
  ViewHeight = ClampToInt16(p_.window.ClientHeight());
  ForceRedraw();
}

void frmMain::ForceRedraw() {
  LastCursorX = kForceRedrawPosition;
  LastCursorY = kForceRedrawPosition;
  WakeCaptureTick();
}

void frmMain::WakeCaptureTick() {
  p_.timer1.SetIdle(false);
}

}  // namespace vistrel
