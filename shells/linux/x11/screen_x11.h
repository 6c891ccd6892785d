// The screen as the magnifier sees it on X11: the pointer position and the root window's size in
// device pixels, the twips per pixel of the screen's logical DPI, and the scaled copy, which the
// main window's renderer makes.
//
// Asking the server where the pointer is costs a round trip on every 50 ms tick, and with Qt's
// reader thread several wake-ups, even when nothing moves. So once the pointer has stood still
// for kStillTicks ticks, the screen listens for XInput 2 raw motion events instead: Timer1 may
// then idle (ticking only every kWarpCheckTicks-th period), and the first event wakes it, switches
// the events off again, and the ticks ask as before while the pointer moves (so a fast mouse does
// not wake the program a thousand times a second). A warp by another program makes no raw event,
// so a still pointer is asked anyway on every tick kWarpCheck after the last question, which is
// every tick of the idle timer. Without XInput 2 every tick asks and Timer1 never idles.
#pragma once

#include <chrono>
#include <functional>

#include "platform/screen.h"
#include "x11/view_renderer.h"
#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {

class XcbScreen : public platform::Screen {
 public:
  XcbScreen(const Connection& x, double twipsPerPixel);
  ~XcbScreen() override;
  XcbScreen(const XcbScreen&) = delete;
  XcbScreen& operator=(const XcbScreen&) = delete;
  void SetRenderer(ViewRenderer* renderer) { renderer_ = renderer; }
  // How the screen takes Timer1 out of idleness when the pointer moves.
  void SetMotionWake(std::function<void()> wake) { wake_ = std::move(wake); }

  // While idle, Timer1 ticks once in this many periods, to see a warp.
  static constexpr int kWarpCheckTicks = 5;

  // Starts learning of pointer motion from raw events; false when the server can not send them.
  bool WatchPointerMotion();
  // Takes a raw motion event of the pointer watch (true: consumed).
  bool HandleXEvent(const void* event);

  platform::CursorPoint CursorPos() override;
  bool WakesTimer1OnCursorMotion() override;
  void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                     std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) override;
  // The root window starts at 0, 0 whatever the monitors' arrangement.
  double LeftTwips() override { return 0; }
  double TopTwips() override { return 0; }
  double WidthTwips() override;
  double HeightTwips() override;
  double TwipsPerPixelX() override { return twipsPerPixel_; }
  double TwipsPerPixelY() override { return twipsPerPixel_; }
  // The RandR monitors (the whole screen without RandR), each cut to the window manager's
  // _NET_WORKAREA of the current desktop, in device pixels.
  std::vector<platform::Monitor> Monitors() override;

 private:
  const Connection& x_;
  double twipsPerPixel_;
  ViewRenderer* renderer_ = nullptr;
  std::function<void()> wake_;
  platform::CursorPoint last_;
  xcb_connection_t* pointer_ = nullptr;  // our own connection for the pointer question

  // A little under kWarpCheckTicks periods of 50 ms, so that a late tick does not skip one.
  static constexpr std::chrono::milliseconds kWarpCheck{225};
  static constexpr int kStillTicks = 4;
  void SelectRawMotion(bool on);
  std::uint8_t xinputOpcode_ = 0;
  bool watching_ = false;
  bool selected_ = false;
  bool moved_ = true;
  int stillTicks_ = 0;
  std::chrono::steady_clock::time_point lastQuery_;
};

}  // namespace vistrel::linux_shell::x11
