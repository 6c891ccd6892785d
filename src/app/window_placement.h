// Where a restored window may stand: a stored frame that no monitor can show (a second monitor
// unplugged since the last run, a settings file holding absurd numbers) is brought back onto the
// nearest monitor, while a frame that is on a monitor, even partly, stays exactly as stored.
#pragma once

#include <vector>

#include "platform/screen.h"

namespace vistrel::placement {

// An outer window frame in desktop pixels.
struct Frame {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  bool operator==(const Frame&) const = default;
};

// The frame the window should get. The monitor it belongs to is the one it covers most, or the
// nearest one when it covers none; a size larger than that monitor's work area is reduced to
// it. When no part of the title bar (the top titleHeight pixels of the frame) lies on any
// monitor, the window is moved to lie wholly on its monitor. No monitors known: no change.
Frame FitOnMonitors(Frame frame, double titleHeight, const std::vector<platform::WorkArea>& areas);

}  // namespace vistrel::placement
