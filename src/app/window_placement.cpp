#include "app/window_placement.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vistrel::placement {
namespace {

// Length of the overlap of [a, a + aLength) and [b, b + bLength).
double Overlap(double a, double aLength, double b, double bLength) {
  return std::max(0.0, std::min(a + aLength, b + bLength) - std::max(a, b));
}

// Distance between the two spans; 0 when they touch or overlap.
double Gap(double a, double aLength, double b, double bLength) {
  return std::max({0.0, a - (b + bLength), b - (a + aLength)});
}

bool Covers(const platform::WorkArea& area, double left, double top, double width, double height) {
  return Overlap(left, width, area.left, area.width) > 0 &&
         Overlap(top, height, area.top, area.height) > 0;
}

const platform::WorkArea& MonitorOf(const Frame& f, const std::vector<platform::WorkArea>& areas) {
  const platform::WorkArea* best = &areas.front();
  double bestCover = -1;
  double bestGap = std::numeric_limits<double>::infinity();
  for (const platform::WorkArea& a : areas) {
    const double cover =
        Overlap(f.left, f.width, a.left, a.width) * Overlap(f.top, f.height, a.top, a.height);
    const double gap =
        std::hypot(Gap(f.left, f.width, a.left, a.width), Gap(f.top, f.height, a.top, a.height));
    if (cover > bestCover || (cover == bestCover && gap < bestGap)) {
      best = &a;
      bestCover = cover;
      bestGap = gap;
    }
  }
  return *best;
}

}  // namespace

Frame FitOnMonitors(Frame frame, double titleHeight, const std::vector<platform::WorkArea>& areas) {
  if (areas.empty()) return frame;
  const platform::WorkArea& home = MonitorOf(frame, areas);
  frame.width = std::min(frame.width, home.width);
  frame.height = std::min(frame.height, home.height);
  const double title = std::clamp(titleHeight, 1.0, std::max(1.0, frame.height));
  const bool titleShown = std::any_of(areas.begin(), areas.end(), [&](const auto& a) {
    return Covers(a, frame.left, frame.top, frame.width, title);
  });
  if (!titleShown) {
    frame.left = std::clamp(frame.left, home.left, home.left + home.width - frame.width);
    frame.top = std::clamp(frame.top, home.top, home.top + home.height - frame.height);
  }
  return frame;
}

}  // namespace vistrel::placement
