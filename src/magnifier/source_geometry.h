// Where the source rectangle lies: centred on the cursor, then kept inside the screen. All in
// double, every division a floating one, positions rounded half to even.
#pragma once

#include <cstdint>

namespace vistrel::geometry {

// Source left/top that put the cursor at the centre of a view of viewSize pixels at zoom.
double CentredOrigin(double cursor, std::int16_t viewSize, std::int16_t zoom);

// The clamp of one axis to the desktop [screenStart, screenStart + screenSize): if the far edge
// passes the desktop's, the rectangle ends there (and may start before screenStart when it is
// wider than the desktop); otherwise a start before screenStart becomes screenStart.
double ClampOrigin(double origin, std::int16_t viewSize, std::int16_t zoom,
                   std::int16_t screenStart, std::int16_t screenSize);

// round(view / zoom): 220 x 165 at zoom 2 copies 110 x 82.
std::int32_t SourceSize(std::int16_t viewSize, std::int16_t zoom);

}  // namespace vistrel::geometry
