// The capture tick: the source rectangle around the cursor, its rounding and clamps, and when a
// tick draws at all.
#include <gtest/gtest.h>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::StretchCall;

class CaptureTick : public ::testing::Test {
 protected:
  void SetUp() override { world.Start(); }
  StretchCall TickAt(std::int32_t x, std::int32_t y) {
    world.screen.cursor = {x, y};
    world.form.ForceRedraw();
    world.screen.stretches.clear();
    world.form.Timer1_Timer();
    EXPECT_EQ(world.screen.stretches.size(), 1u);
    return world.screen.stretches.empty() ? StretchCall{} : world.screen.stretches.back();
  }
  FakeWorld world;
};

TEST_F(CaptureTick, WorkedExampleCopiesTheTieRoundedSourceAroundTheCursor) {
  EXPECT_EQ(TickAt(512, 384), (StretchCall{220, 165, 457, 343, 110, 82}));
  EXPECT_EQ(TickAt(1020, 5), (StretchCall{220, 165, 914, 0, 110, 82}));
  EXPECT_EQ(world.form.LockedSourceX, 914);
  EXPECT_EQ(world.form.LockedSourceY, 0);
}

TEST_F(CaptureTick, StillCursorDrawsNothingAndTakesNoDeviceContext) {
  TickAt(300, 300);
  world.screen.stretches.clear();
  for (int i = 0; i < 5; ++i) world.form.Timer1_Timer();
  EXPECT_TRUE(world.screen.stretches.empty());
}

}  // namespace
}  // namespace vistrel
