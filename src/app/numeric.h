// The numeric rules of the magnifier: fields are 16-bit, arithmetic is double, and storing back
// rounds to nearest with ties to even (82.5 -> 82, 83.5 -> 84). A value that does not fit is an
// overflow failure, never a silent wrap; where a value comes from outside the program (cursor,
// screen and view sizes of very large desktops) it is clamped instead, so that a tick can not
// end the program.
#pragma once

#include <cstdint>

namespace vistrel {

// Nearest integer, ties to even, independent of the current rounding mode.
double RoundHalfEven(double value);

// Store into a 32-bit integer (the stretch's source sizes, the tray message number).
std::int32_t ToInt32(double value);

// Store into a 16-bit field, saturating at its limits (NaN gives 0).
std::int16_t ClampToInt16(double value);

// A single-precision value: throws failures::Overflow() when it does not fit a float.
float ToSingle(double value);

}  // namespace vistrel
