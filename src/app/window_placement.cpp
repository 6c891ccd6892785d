#include "app/window_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "app/numeric.h"

namespace vistrel::placement {
namespace {

using platform::Monitor;
using platform::PixelRect;

constexpr double kGrabWidth = 32;
constexpr double kGrabHeight = 8;

// Length of the overlap of [a, a + aLength) and [b, b + bLength).
double Overlap(double a, double aLength, double b, double bLength) {
  return std::max(0.0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// Distance between the two spans; 0 when they touch or overlap.
double Gap(double a, double aLength, double b, double bLength) {
  return std::max({0.0, a - (b + bLength), b - (a + aLength)});
}

// Whether a piece of the title bar as large as a pointer needs to take hold of it, or the whole
// title bar where it is smaller, lies on the area.
bool Grabbable(const PixelRect& area, const Frame& title) {
  return Overlap(title.left, title.width, area.left, area.width) >=
             std::min(kGrabWidth, title.width) &&
         Overlap(title.top, title.height, area.top, area.height) >=
             std::min(kGrabHeight, title.height);
}

const Monitor& Nearest(const Frame& f, const std::vector<Monitor>& monitors) {
  const Monitor* best = &monitors.front();
  double bestCover = -1;
  double bestGap = std::numeric_limits<double>::infinity();
  for (const Monitor& m : monitors) {
    const PixelRect& a = m.whole;
    const double cover =
        Overlap(f.left, f.width, a.left, a.width) * Overlap(f.top, f.height, a.top, a.height);
    const double gap =
        std::hypot(Gap(f.left, f.width, a.left, a.width), Gap(f.top, f.height, a.top, a.height));
    if (gap < bestGap || (gap == bestGap && cover > bestCover)) {
      best = &m;
      bestCover = cover;
      bestGap = gap;
    }
  }
  return *best;
}

// The start that puts [start, start + length) inside [lo, lo + room), or lo when it is longer.
double Within(double start, double length, double lo, double room) {
  return std::max(lo, std::min(start, lo + room - length));
}

}  // namespace

Frame Place(Frame frame, double titleHeight, const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return frame;
  // The window system gets each value as a whole 16-bit pixel, as the shells convert twips.
  const Frame whole{double(ClampToInt16(frame.left)), double(ClampToInt16(frame.top)),
                    double(ClampToInt16(frame.width)), double(ClampToInt16(frame.height))};
  // A frame without decorations, or of no size, is still reached at its top row.
  const Frame title{whole.left, whole.top, std::max(1.0, whole.width),
                    std::clamp(std::nearbyint(titleHeight), 1.0, std::max(1.0, whole.height))};
  if (std::any_of(monitors.begin(), monitors.end(),
                  [&](const Monitor& m) { return Grabbable(m.work, title); })) {
    return frame;
  }
  const PixelRect& work = Nearest(whole, monitors).work;
  const double left = Within(whole.left, whole.width, work.left, work.width);
  const double top = Within(whole.top, whole.height, work.top, work.height);
  // An axis that needs no move keeps its stored value, to the fraction.
  if (left != whole.left) frame.left = left;
  if (top != whole.top) frame.top = top;
  return frame;
}

std::optional<platform::PixelRect> Desktop(const std::vector<Monitor>& monitors) {
  if (monitors.empty()) return std::nullopt;
  double left = monitors.front().whole.left, top = monitors.front().whole.top;
  double right = left + monitors.front().whole.width;
  double bottom = top + monitors.front().whole.height;
  for (const Monitor& m : monitors) {
    left = std::min(left, m.whole.left);
    top = std::min(top, m.whole.top);
    right = std::max(right, m.whole.left + m.whole.width);
    bottom = std::max(bottom, m.whole.top + m.whole.height);
  }
  return PixelRect{left, top, right - left, bottom - top};
}

}  // namespace vistrel::placement
