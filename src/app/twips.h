// Twips and pixels. The core keeps the window's place and size in twips (1440 to the inch), the
// way the settings store them; the window systems take whole pixels in 16-bit coordinates.
#pragma once

#include "app/numeric.h"

namespace vistrel {

// Whole pixels, halves to the even neighbour as the program rounds everywhere. Window
// coordinates are 16-bit on every window system: a stored value beyond that is off every screen
// anyway, and the sum of a position and a size must not overflow. NaN gives 0.
inline int TwipsToPixels(double twips, double twipsPerPixel) {
  return ClampToInt16(twips / twipsPerPixel);
}

// The window's properties and the mouse positions the handlers take are single precision.
inline float PixelsToTwips(double pixels, double twipsPerPixel) {
  return static_cast<float>(pixels * twipsPerPixel);
}

}  // namespace vistrel
