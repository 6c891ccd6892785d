// Zoom by click and menu, Keep 1/1, and the two refresh options with Timer2's intervals.
#include <gtest/gtest.h>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;

enum class Action { kLeftClick, kShiftLeftClick, kRightClick, kMiddleClick, kMenuIn, kMenuOut };

struct ZoomCase {
  const char* what;
  bool keep1to1;
  std::int16_t from;
  Action action;
  std::int16_t to;  // a change also forces a redraw; no change forces none
};

class Zoom : public ::testing::TestWithParam<ZoomCase> {
 protected:
  void SetUp() override { world.Start(); }
  void Do(Action action) {
    frmMain& f = world.form;
    switch (action) {
      case Action::kLeftClick:
        f.Form_MouseDown(1, 0, 10, 10);
        break;
      case Action::kShiftLeftClick:
        f.Form_MouseDown(1, 1, 200, 3);
        break;
      case Action::kRightClick:
        f.Form_MouseDown(2, 0, 10, 10);
        break;
      case Action::kMiddleClick:
        f.Form_MouseDown(4, 0, 10, 10);
        break;
      case Action::kMenuIn:
        f.MenuClick(MenuItem::menuZoomIN);
        break;
      case Action::kMenuOut:
        f.MenuClick(MenuItem::menuZoomOUT);
        break;
    }
  }
  // Lets a tick take the cursor, so that only a new force can make the next tick draw.
  void Settle() {
    world.form.Timer1_Timer();
    world.screen.stretches.clear();
  }
  bool NextTickDraws() {
    world.form.Timer1_Timer();
    return !world.screen.stretches.empty();
  }
  FakeWorld world;
};

TEST_P(Zoom, StepsOnceWithinOneToTwentyAndRedrawsOnlyOnAChange) {
  const ZoomCase& c = GetParam();
  world.form.Menu().SetChecked(MenuItem::menuKeep1to1, c.keep1to1);
  world.form.ZoomFactor = c.from;
  Settle();
  Do(c.action);
  EXPECT_EQ(world.form.ZoomFactor, c.to);
  EXPECT_EQ(NextTickDraws(), c.to != c.from);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Zoom,
    ::testing::Values(
        ZoomCase{"left click zooms in", false, 2, Action::kLeftClick, 3},
        ZoomCase{"shift and position are ignored", false, 2, Action::kShiftLeftClick, 3},
        ZoomCase{"menu zoom in", false, 19, Action::kMenuIn, 20},
        ZoomCase{"left click at 20 does nothing", false, 20, Action::kLeftClick, 20},
        ZoomCase{"menu zoom in at 20 does nothing", false, 20, Action::kMenuIn, 20},
        ZoomCase{"right click zooms out", false, 5, Action::kRightClick, 4},
        ZoomCase{"menu zoom out", false, 2, Action::kMenuOut, 1},
        ZoomCase{"right click at 1 does nothing", false, 1, Action::kRightClick, 1},
        ZoomCase{"menu zoom out at 1 does nothing", false, 1, Action::kMenuOut, 1},
        ZoomCase{"middle click does nothing", false, 5, Action::kMiddleClick, 5},
        ZoomCase{"keep 1 1 left click walks back", true, 5, Action::kLeftClick, 4},
        ZoomCase{"keep 1 1 menu in walks back", true, 2, Action::kMenuIn, 1},
        ZoomCase{"keep 1 1 in at 1 does nothing", true, 1, Action::kLeftClick, 1},
        ZoomCase{"keep 1 1 right click does nothing", true, 5, Action::kRightClick, 5},
        ZoomCase{"keep 1 1 menu out does nothing", true, 5, Action::kMenuOut, 5}),
    fakes::NameFromWhat());

TEST_F(Zoom, EighteenStepsFromTwoReachTwentyEachForcingARedraw) {
  EXPECT_EQ(world.form.ZoomFactor, 2);
  for (int step = 1; step <= 18; ++step) {
    Settle();
    Do(Action::kLeftClick);
    EXPECT_EQ(world.form.ZoomFactor, 2 + step);
    EXPECT_TRUE(NextTickDraws()) << step;
  }
  Settle();
  Do(Action::kLeftClick);
  EXPECT_EQ(world.form.ZoomFactor, 20);
  EXPECT_FALSE(NextTickDraws());
}

TEST_F(Zoom, CheckingKeepOneToOneWalksBackOneStepAndUncheckingKeepsTheFactor) {
  world.form.MenuClick(MenuItem::menuKeep1to1);
  EXPECT_TRUE(world.form.Menu().Checked(MenuItem::menuKeep1to1));
  EXPECT_EQ(world.form.ZoomFactor, 1);  // from the start value 2

  world.form.MenuClick(MenuItem::menuKeep1to1);
  world.form.ZoomFactor = 5;
  world.form.MenuClick(MenuItem::menuKeep1to1);
  EXPECT_EQ(world.form.ZoomFactor, 4);  // one step, not straight to 1
  Do(Action::kLeftClick);
  Do(Action::kLeftClick);
  EXPECT_EQ(world.form.ZoomFactor, 2);

  world.form.MenuClick(MenuItem::menuKeep1to1);
  EXPECT_FALSE(world.form.Menu().Checked(MenuItem::menuKeep1to1));
  EXPECT_EQ(world.form.ZoomFactor, 2);
  Do(Action::kLeftClick);
  EXPECT_EQ(world.form.ZoomFactor, 3);
}

struct RefreshChoice {
  const char* what;
  bool high, always;  // before
  MenuItem chosen;
  bool highAfter, alwaysAfter;
};

class RefreshMenu : public ::testing::TestWithParam<RefreshChoice> {};

TEST_P(RefreshMenu, InvertsItsOwnMarkAndClearsTheOtherWithoutTouchingTheTimer) {
  const RefreshChoice& c = GetParam();
  FakeWorld world;
  world.Start();
  world.form.Menu().SetChecked(MenuItem::menuRefreshHigh, c.high);
  world.form.Menu().SetChecked(MenuItem::menuRefreshAlways, c.always);
  world.form.Timer1_Timer();
  world.form.MenuClick(c.chosen);
  EXPECT_EQ(world.form.Menu().Checked(MenuItem::menuRefreshHigh), c.highAfter);
  EXPECT_EQ(world.form.Menu().Checked(MenuItem::menuRefreshAlways), c.alwaysAfter);
  EXPECT_TRUE(world.timer2.intervalsSet.empty());
  EXPECT_NE(world.form.LastCursorX, -9999);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefreshMenu,
    ::testing::Values(
        RefreshChoice{"high from none", false, false, MenuItem::menuRefreshHigh, true, false},
        RefreshChoice{"always from none", false, false, MenuItem::menuRefreshAlways, false, true},
        RefreshChoice{"always from high", true, false, MenuItem::menuRefreshAlways, false, true},
        RefreshChoice{"high from always", false, true, MenuItem::menuRefreshHigh, true, false},
        RefreshChoice{"high again clears it", true, false, MenuItem::menuRefreshHigh, false, false},
        RefreshChoice{"high with both clears both", true, true, MenuItem::menuRefreshHigh, false,
                      false},
        RefreshChoice{"always with both clears both", true, true, MenuItem::menuRefreshAlways,
                      false, false}),
    fakes::NameFromWhat());

// Timer2's ticks with a still cursor, on the fake clock (both timers start at 50 ms).
class RefreshTick : public ::testing::Test {
 protected:
  void StartWith(const char* high, const char* always) {
    if (high) world.StoreSetting("RefreshHigh", high);
    if (always) world.StoreSetting("RefreshAlways", always);
    world.Start();
  }
  std::size_t DrawsDuring(double seconds) {
    world.screen.stretches.clear();
    world.Run(seconds);
    return world.screen.stretches.size();
  }
  FakeWorld world;
};

TEST_F(RefreshTick, NeitherOptionKeepsAStillCursorsPictureAndTheInterval) {
  StartWith(nullptr, nullptr);
  EXPECT_EQ(DrawsDuring(0.06), 1u);  // the redraw that start-up forced
  EXPECT_EQ(DrawsDuring(3.0), 0u);
  EXPECT_EQ(world.timer2.Interval(), 50);
  EXPECT_TRUE(world.timer2.intervalsSet.empty());
}

TEST_F(RefreshTick, RefreshHighRedrawsEveryFiftyMilliseconds) {
  StartWith("True", nullptr);
  world.Run(0.06);
  EXPECT_EQ(DrawsDuring(1.0), 20u);
  EXPECT_EQ(world.timer2.Interval(), 50);
}

TEST_F(RefreshTick, RefreshAlwaysRedrawsOnceASecond) {
  StartWith(nullptr, "True");
  world.Run(0.06);
  EXPECT_EQ(DrawsDuring(3.0), 3u);
  EXPECT_EQ(world.timer2.Interval(), 1000);
}

TEST_F(RefreshTick, BothCheckedAlwaysIsTestedFirstAndGoverns) {
  StartWith("True", "True");
  world.Run(3.0);
  ASSERT_EQ(world.timer2.ticks.size(), 3u);
  EXPECT_NEAR(world.timer2.ticks[0], 0.05, 1e-9);
  EXPECT_NEAR(world.timer2.ticks[1], 1.05, 1e-9);
  EXPECT_NEAR(world.timer2.ticks[2], 2.05, 1e-9);
  EXPECT_EQ(world.timer2.intervalsSet, (std::vector<std::int32_t>{1000, 1000, 1000}));
}

TEST_F(RefreshTick, SwitchingAlwaysToHighTakesEffectAfterThePendingSecond) {
  StartWith(nullptr, "True");
  world.Run(0.3);  // ticked at 0.05; the next tick is due at 1.05
  world.form.MenuClick(MenuItem::menuRefreshHigh);
  world.Run(0.7);
  const std::size_t before = world.timer2.ticks.size();
  world.Run(0.12);
  ASSERT_EQ(world.timer2.ticks.size(), before + 2);
  EXPECT_NEAR(world.timer2.ticks[before], 1.05, 1e-9);
  EXPECT_NEAR(world.timer2.ticks[before + 1], 1.10, 1e-9);
  EXPECT_EQ(world.timer2.Interval(), 50);
}

// Neither option checked, a tick idles Timer2; checking one brings its ticks back on the schedule
// they kept, so the first refresh comes at the tick it always would have (here after a second).
TEST_F(RefreshTick, AnIdleTimerKeepsItsScheduleUntilAnOptionIsChecked) {
  StartWith(nullptr, "True");
  world.Run(0.3);  // ticked at 0.05; the next tick is due at 1.05
  world.form.MenuClick(MenuItem::menuRefreshAlways);
  world.Run(2.2);  // 1.05 did nothing and idled
  ASSERT_EQ(world.timer2.ticks.size(), 2u);
  world.form.MenuClick(MenuItem::menuRefreshHigh);
  world.Run(0.6);
  ASSERT_EQ(world.timer2.ticks.size(), 4u);
  EXPECT_NEAR(world.timer2.ticks[2], 3.05, 1e-9);
  EXPECT_NEAR(world.timer2.ticks[3], 3.10, 1e-9);
}

}  // namespace
}  // namespace vistrel
