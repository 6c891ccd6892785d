// What both shells compute alike from their platform's events: when a woken timer ticks.
#include <gtest/gtest.h>

#include "magnifier/tick_schedule.h"

namespace vistrel {
namespace {

TEST(TickSchedule, AWokenTimerWaitsForTheRestOfThePeriodItIsIn) {
  // due, period, now, wait; a period below 1 counts as 1.
  const std::int64_t cases[][4] = {{1050, 50, 1020, 30},
                                   {1050, 50, 1050, 0},
                                   {1050, 50, 1234, 16},
                                   {1050, 50, 1250, 0},
                                   {1050, 0, 1234, 0}};
  for (const auto& [due, period, now, wait] : cases) {
    EXPECT_EQ(tick_schedule::WaitAfterWaking(due, period, now), wait) << now;
  }
}

}  // namespace
}  // namespace vistrel
