// Where a restored window may stand: a stored frame is applied as it is, wherever it lies and
// whatever its size, as long as the user can reach its title bar; only a frame whose title bar no
// monitor shows (a second monitor unplugged since the last run, a settings file holding absurd
// numbers) is brought back onto the nearest monitor.
#pragma once

#include <optional>
#include <vector>

#include "platform/screen.h"

namespace vistrel::placement {

// An outer window frame in desktop pixels.
using Frame = platform::PixelRect;

// The frame the window should get. When some part of the title bar (the top titleHeight pixels of
// the frame, at least one) lies on a monitor's whole rectangle, the frame stays as it is. Otherwise
// it is moved, with its size, to lie wholly on the work area of the monitor nearest to it (the one
// it covers most when it covers any), or as far onto it as its size allows. No monitors known: no
// change.
Frame Place(Frame frame, double titleHeight, const std::vector<platform::Monitor>& monitors);

// The bounding box of every monitor's whole rectangle; none when no monitor is known.
std::optional<platform::PixelRect> Desktop(const std::vector<platform::Monitor>& monitors);

}  // namespace vistrel::placement
