// Where a restored window may stand: a stored frame is applied as it is, wherever it lies and
// whatever its size, as long as the user can take hold of its title bar; only a frame whose title
// bar no monitor's work area shows well enough (a second monitor unplugged since the last run, a
// title bar under a panel, a settings file holding absurd numbers) is brought back onto the
// nearest monitor.
#pragma once

#include <optional>
#include <vector>

#include "platform/screen.h"

namespace vistrel::placement {

// An outer window frame in desktop pixels.
using Frame = platform::PixelRect;

// The frame the window should get. It is judged as the window system will place it, each value
// rounded to a whole pixel. When a piece of 32 x 8 pixels of the title bar (the top titleHeight
// rows of the frame, at least one; the whole title bar where it is narrower or lower) lies on one
// monitor's work area, the frame stays as it is: a pointer can take hold of it there. Otherwise
// it is moved, with its size, to lie wholly on the work area of the monitor nearest to it (the
// one it covers most when it covers any), or as far onto it as its size allows; an axis that
// needs no move keeps its value. No monitors known: no change.
Frame Place(Frame frame, double titleHeight, const std::vector<platform::Monitor>& monitors);

// The bounding box of every monitor's whole rectangle; none when no monitor is known.
std::optional<platform::PixelRect> Desktop(const std::vector<platform::Monitor>& monitors);

}  // namespace vistrel::placement
