#include "screen_x11.h"

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

namespace vistrel::x11 {

double TwipsPerPixelOfPrimaryScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 15.0;
  const double dpi = screen->logicalDotsPerInchX() * screen->devicePixelRatio();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

XcbScreen::XcbScreen(const Connection& x, double twipsPerPixel)
    : x_(x), twipsPerPixel_(twipsPerPixel) {}

platform::CursorPoint XcbScreen::CursorPos() {
  xcb_connection_t* c = x_.Get();
  xcb_query_pointer_reply_t* reply =
      xcb_query_pointer_reply(c, xcb_query_pointer(c, x_.Root()), nullptr);
  // On another X screen the pointer has no position here: keep the last one.
  if (reply && reply->same_screen) last_ = {reply->root_x, reply->root_y};
  std::free(reply);
  return last_;
}

void XcbScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                              std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  if (renderer_) renderer_->Draw(destWidth, destHeight, {srcX, srcY, srcWidth, srcHeight});
}

// The whole X screen (every monitor of it) is what the root picture can read.
double XcbScreen::WidthTwips() {
  return x_.Screen()->width_in_pixels * twipsPerPixel_;
}
double XcbScreen::HeightTwips() {
  return x_.Screen()->height_in_pixels * twipsPerPixel_;
}

}  // namespace vistrel::x11
