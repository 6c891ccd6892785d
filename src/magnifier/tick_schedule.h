// When an idle timer's ticks come back. An idle timer leaves its ticks out; woken, it ticks
// again on the schedule it kept, as if it had never stopped, so that waking neither bunches the
// ticks nor delays them by more than one period. The shells' timers count milliseconds on their
// own clocks, the unit tests' fake timer microseconds.
#pragma once

#include <cstdint>

namespace vistrel::tick_schedule {

// The first tick at or after `now` of a timer whose tick was due at `due` and that runs with the
// given period (any consistent unit; a period below 1 counts as 1).
constexpr std::int64_t NextTick(std::int64_t due, std::int64_t period, std::int64_t now) {
  if (period < 1) period = 1;
  if (due >= now) return due;
  return due + (now - due + period - 1) / period * period;
}

// How long a timer woken at `now` waits for that tick: the rest of the period it is in, 0 when
// a tick is due at once.
constexpr std::int64_t WaitAfterWaking(std::int64_t due, std::int64_t period, std::int64_t now) {
  return NextTick(due, period, now) - now;
}

}  // namespace vistrel::tick_schedule
