#include "magnifier/source_geometry.h"

#include "app/numeric.h"

namespace vistrel::geometry {

double CentredOrigin(double cursor, std::int16_t viewSize, std::int16_t zoom) {
  // zoom * 2 is a 16-bit product (at most 40) before it divides.
  const std::int16_t twice = static_cast<std::int16_t>(zoom * 2);
  return RoundHalfEven(cursor - static_cast<double>(viewSize) / twice);
}

double ClampOrigin(double origin, std::int16_t viewSize, std::int16_t zoom,
                   std::int16_t screenStart, std::int16_t screenSize) {
  const double size = static_cast<double>(viewSize) / zoom;
  // In double: the desktop's far edge may lie beyond the 16-bit range.
  const double end = static_cast<double>(screenStart) + screenSize;
  if (size + origin > end) return RoundHalfEven(end - size);
  if (origin < screenStart) return screenStart;
  return origin;
}

std::int32_t SourceSize(std::int16_t viewSize, std::int16_t zoom) {
  return ToInt32(static_cast<double>(viewSize) / zoom);
}

}  // namespace vistrel::geometry
