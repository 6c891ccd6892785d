#include "wayland/monitor_desktop.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>

namespace vistrel::linux_shell::wayland {

std::vector<platform::Monitor> MonitorDesktop::Monitors() {
  std::vector<platform::Monitor> monitors;
  for (const platform::PixelRect& place : Places()) monitors.push_back({place, place});
  if (!monitors.empty()) return monitors;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect g = screen->geometry();
    const double r = screen->devicePixelRatio();
    const platform::PixelRect whole{std::round(g.x() * r), std::round(g.y() * r),
                                    std::round(g.width() * r), std::round(g.height() * r)};
    monitors.push_back({whole, whole});
  }
  return monitors;
}

platform::PixelRect MonitorDesktop::Desktop() {
  const std::vector<platform::Monitor> monitors = Monitors();
  if (monitors.empty()) return {};
  double left = monitors[0].whole.left, top = monitors[0].whole.top;
  double right = left + monitors[0].whole.width, bottom = top + monitors[0].whole.height;
  for (const platform::Monitor& m : monitors) {
    left = std::min(left, m.whole.left);
    top = std::min(top, m.whole.top);
    right = std::max(right, m.whole.left + m.whole.width);
    bottom = std::max(bottom, m.whole.top + m.whole.height);
  }
  return {left, top, right - left, bottom - top};
}

double MonitorDesktop::LeftTwips() {
  return Desktop().left * twipsPerPixel_;
}
double MonitorDesktop::TopTwips() {
  return Desktop().top * twipsPerPixel_;
}
double MonitorDesktop::WidthTwips() {
  return Desktop().width * twipsPerPixel_;
}
double MonitorDesktop::HeightTwips() {
  return Desktop().height * twipsPerPixel_;
}

}  // namespace vistrel::linux_shell::wayland
