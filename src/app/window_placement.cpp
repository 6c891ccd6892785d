#include "app/window_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vistrel::placement {
namespace {

using platform::Monitor;
using platform::PixelRect;

// Length of the overlap of [a, a + aLength) and [b, b + bLength).
double Overlap(double a, double aLength, double b, double bLength) {
  return std::max(0.0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// Distance between the two spans; 0 when they touch or overlap.
double Gap(double a, double aLength, double b, double bLength) {
  return std::max({0.0, a - (b + bLength), b - (a + aLength)});
}

bool Covers(const PixelRect& r, const PixelRect& f) {
  return Overlap(f.left, f.width, r.left, r.width) > 0 &&
         Overlap(f.top, f.height, r.top, r.height) > 0;
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
  // A frame without decorations, or of no size, is still reached at its top-left pixel.
  const Frame title{frame.left, frame.top, std::max(1.0, frame.width),
                    std::clamp(titleHeight, 1.0, std::max(1.0, frame.height))};
  if (std::any_of(monitors.begin(), monitors.end(),
                  [&](const Monitor& m) { return Covers(m.whole, title); })) {
    return frame;
  }
  const PixelRect& work = Nearest(frame, monitors).work;
  frame.left = Within(frame.left, frame.width, work.left, work.width);
  frame.top = Within(frame.top, frame.height, work.top, work.height);
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
