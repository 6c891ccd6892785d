#include "app/numeric.h"

#include <cmath>

#include "app/failure.h"

namespace vistrel {

double RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  if (diff < 0.5) return floor;
  if (diff > 0.5) return floor + 1.0;
  return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

std::int32_t ToInt32(double value) {
  const double r = RoundHalfEven(value);
  if (!(r >= -2147483648.0 && r <= 2147483647.0)) throw failures::Overflow();
  return static_cast<std::int32_t>(r);
}

std::int16_t ClampToInt16(double value) {
  if (std::isnan(value)) return 0;
  const double r = RoundHalfEven(value);
  // Written so that NaN would come out as the lower limit here: the check above alone gives it
  // its value, never the conversion below, whose result for NaN is undefined.
  if (!(r >= -32768.0)) return -32768;
  if (r > 32767.0) return 32767;
  return static_cast<std::int16_t>(r);
}

float ToSingle(double value) {
  if (std::isnan(value)) throw failures::Overflow();
  // A value that rounds to the largest single still fits (the program writes that one as
  // "3.4028235E+38", a little above it); only from halfway to the next power of two on does it
  // round beyond the range.
  static const double kFirstBeyond = std::ldexp(1.0, 128) - std::ldexp(1.0, 103);
  if (std::fabs(value) >= kFirstBeyond) throw failures::Overflow();
  return static_cast<float>(value);
}

}  // namespace vistrel
