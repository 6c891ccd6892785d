#include "wayland/screen_portal.h"

#include <unistd.h>

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

#include "wayland/restore_token.h"

namespace vistrel::linux_shell::wayland {

// The stream's rate: one picture per tick of the 50 ms timer that draws the view.
constexpr int kFramesPerSecond = 20;
// Still ticks before Timer1 may idle.
constexpr int kStillTicks = 4;

PortalScreen::PortalScreen(double twipsPerPixel) : twipsPerPixel_(twipsPerPixel) {}

PortalScreen::~PortalScreen() = default;

bool PortalScreen::Open(ScreenCastError& error) {
  std::optional<ScreenCastSession> cast = OpenScreenCast(LoadRestoreToken(), error);
  if (!cast) return false;
  SaveRestoreToken(cast->restoreToken);
  auto connection = std::make_shared<PipeWireConnection>();
  if (!connection->Open(cast->pipewireFd, error.text)) return false;
  for (const ScreenCastStream& place : cast->streams) {
    auto stream = std::make_unique<PipeWireStream>();
    if (!stream->Start(connection, place.node, kFramesPerSecond, error.text)) {
      monitors_.clear();
      return false;
    }
    monitors_.push_back({place, std::move(stream), std::nullopt});
  }
  return true;
}

platform::CursorPoint PortalScreen::CursorPos() {
  // The compositor reports the pointer on the monitor it is on; a monitor whose report changed
  // last has it.
  bool changed = false;
  for (Monitor& monitor : monitors_) {
    const std::optional<StreamPoint> cursor = monitor.stream->Cursor();
    if (cursor == monitor.lastCursor) continue;
    changed = true;
    monitor.lastCursor = cursor;
    if (cursor) cursor_ = {monitor.place.x + cursor->x, monitor.place.y + cursor->y};
  }
  stillTicks_ = changed ? 0 : std::min(stillTicks_ + 1, kStillTicks);
  return cursor_;
}

bool PortalScreen::WakesTimer1OnCursorMotion() {
  if (!wake_ || monitors_.empty() || stillTicks_ < kStillTicks) return false;
  // Armed against the reports CursorPos just read: one that changed since then keeps the timer
  // ticking (an armed stream then wakes it once for nothing, which costs one tick).
  for (Monitor& monitor : monitors_) {
    if (!monitor.stream->WakeOnCursorChange(monitor.lastCursor, wake_)) return false;
  }
  return true;
}

void PortalScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                                 std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  if (!canvas_.canvas || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    return;
  }
  QImage& image = canvas_.canvas(destWidth, destHeight);
  // What lies on no monitor is black, as the X server's root window shows it.
  image.fill(Qt::black);
  bool copied = false;
  for (const Monitor& monitor : monitors_) {
    copied |= monitor.stream->CopyScaled(
        reinterpret_cast<std::uint32_t*>(image.bits()), static_cast<int>(image.bytesPerLine()),
        destWidth, destHeight, srcX - monitor.place.x, srcY - monitor.place.y, srcWidth, srcHeight);
  }
  // Before the first picture the view keeps what it showed.
  if (copied) canvas_.show();
}

PortalScreen::Box PortalScreen::Desktop() const {
  Box box;
  bool first = true;
  const auto add = [&](int left, int top, int width, int height) {
    if (first) {
      box = {left, top, left + width, top + height};
      first = false;
      return;
    }
    box.left = std::min(box.left, left);
    box.top = std::min(box.top, top);
    box.right = std::max(box.right, left + width);
    box.bottom = std::max(box.bottom, top + height);
  };
  for (const Monitor& m : monitors_) add(m.place.x, m.place.y, m.place.width, m.place.height);
  if (first) {
    for (const QScreen* screen : QGuiApplication::screens()) {
      const QRect g = screen->geometry();
      const double r = screen->devicePixelRatio();
      add(static_cast<int>(std::lround(g.x() * r)), static_cast<int>(std::lround(g.y() * r)),
          static_cast<int>(std::lround(g.width() * r)),
          static_cast<int>(std::lround(g.height() * r)));
    }
  }
  return box;
}

double PortalScreen::LeftTwips() {
  return Desktop().left * twipsPerPixel_;
}
double PortalScreen::TopTwips() {
  return Desktop().top * twipsPerPixel_;
}
double PortalScreen::WidthTwips() {
  const Box box = Desktop();
  return (box.right - box.left) * twipsPerPixel_;
}
double PortalScreen::HeightTwips() {
  const Box box = Desktop();
  return (box.bottom - box.top) * twipsPerPixel_;
}

std::vector<platform::Monitor> PortalScreen::Monitors() {
  std::vector<platform::Monitor> monitors;
  for (const Monitor& m : monitors_) {
    // Wayland tells a client nothing of panels: the work area is the whole monitor.
    const platform::PixelRect whole{static_cast<double>(m.place.x), static_cast<double>(m.place.y),
                                    static_cast<double>(m.place.width),
                                    static_cast<double>(m.place.height)};
    monitors.push_back({whole, whole});
  }
  return monitors;
}

}  // namespace vistrel::linux_shell::wayland
