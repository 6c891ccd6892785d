// Where the source rectangle lies: centred on the cursor, then kept inside the screen. All in
// double, every division a floating one, positions rounded half to even.
#pragma once

#include <cstdint>

namespace vistrel::geometry {

// Source left/top that put the cursor at the centre of a view of viewSize pixels at zoom.
double CentredOrigin(double cursor, std::int16_t viewSize, std::int16_t zoom);

// The clamp of one axis: if the far edge passes the screen, the rectangle ends at the screen's
// edge (and may start left of 0 when it is wider than the screen); otherwise a start below 0
// becomes 0.
double ClampOrigin(double origin, std::int16_t viewSize, std::int16_t zoom,
                   std::int16_t screenSize);

// round(view / zoom): 220 x 165 at zoom 2 copies 110 x 82.
std::int32_t SourceSize(std::int16_t viewSize, std::int16_t zoom);

}  // namespace vistrel::geometry
