// The capture tick: the source rectangle around the cursor, its rounding and clamps, frozen mode,
// and when a tick draws at all. Screen 1024 x 768 pixels, view 220 x 165, zoom 2 unless a case
// says otherwise.
#include <gtest/gtest.h>

#include <functional>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;
using fakes::StretchCall;

class CaptureTick : public ::testing::Test {
 protected:
  void SetUp() override { world.Start(); }
  void SetView(double width, double height, std::int16_t zoom) {
    world.window.clientWidth = width;
    world.window.clientHeight = height;
    world.form.Form_Resize();
    world.form.ZoomFactor = zoom;
  }
  // Ticks once and returns what the tick drew, if anything.
  std::vector<StretchCall> Tick() {
    world.screen.stretches.clear();
    world.form.Timer1_Timer();
    return world.screen.stretches;
  }
  StretchCall TickAt(std::int32_t x, std::int32_t y) {
    world.screen.cursor = {x, y};
    world.form.ForceRedraw();
    const auto drawn = Tick();
    EXPECT_EQ(drawn.size(), 1u);
    return drawn.empty() ? StretchCall{} : drawn.back();
  }
  FakeWorld world;
};

struct GeometryCase {
  const char* what;
  double viewWidth, viewHeight;
  std::int16_t zoom;
  std::int32_t x, y;
  StretchCall drawn;
};

class CaptureGeometry : public CaptureTick, public ::testing::WithParamInterface<GeometryCase> {};

TEST_P(CaptureGeometry, CopiesTheRoundedAndClampedSourceOntoTheWholeView) {
  const GeometryCase& c = GetParam();
  SetView(c.viewWidth, c.viewHeight, c.zoom);
  EXPECT_EQ(TickAt(c.x, c.y), c.drawn) << c.what;
  EXPECT_EQ(world.form.LockedSourceX, c.drawn.srcX) << c.what;
  EXPECT_EQ(world.form.LockedSourceY, c.drawn.srcY) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CaptureGeometry,
    ::testing::Values(
        // The worked example: 110 x 82.5 copies 110 x 82; 384 - 41.25 rounds to 343.
        GeometryCase{"centre", 220, 165, 2, 512, 384, {220, 165, 457, 343, 110, 82}},
        GeometryCase{"near top right", 220, 165, 2, 1020, 5, {220, 165, 914, 0, 110, 82}},
        GeometryCase{"left edge", 220, 165, 2, 3, 384, {220, 165, 0, 343, 110, 82}},
        GeometryCase{"right edge", 220, 165, 2, 1023, 384, {220, 165, 914, 343, 110, 82}},
        GeometryCase{"top edge", 220, 165, 2, 512, 2, {220, 165, 457, 0, 110, 82}},
        // 725.75 -> 726 passes the bottom, so round(768 - 82.5) = 686, the even neighbour.
        GeometryCase{"bottom edge", 220, 165, 2, 512, 767, {220, 165, 457, 686, 110, 82}},
        GeometryCase{"far edge exactly on the right edge",
                     220,
                     165,
                     2,
                     969,
                     725,
                     {220, 165, 914, 684, 110, 82}},
        // Zoom 1 with an odd width: x - 50.5 goes to the even neighbour either way.
        GeometryCase{
            "tie rounds down to even", 101, 165, 1, 501, 385, {101, 165, 450, 302, 101, 165}},
        GeometryCase{
            "tie rounds up to even", 101, 165, 1, 500, 384, {101, 165, 450, 302, 101, 165}},
        GeometryCase{"tie 451.5 rounds up", 101, 165, 1, 502, 386, {101, 165, 452, 304, 101, 165}},
        GeometryCase{
            "source height 83.5 rounds up", 220, 167, 2, 512, 384, {220, 167, 457, 342, 110, 84}},
        GeometryCase{"zoom 3", 220, 165, 3, 512, 384, {220, 165, 475, 356, 73, 55}},
        GeometryCase{"zoom 4", 220, 165, 4, 512, 384, {220, 165, 484, 363, 55, 41}},
        // Wider than the screen: the right clamp gives a negative left edge and the left clamp is
        // not applied; one pixel further left the far edge lies exactly on the screen's edge, the
        // right clamp does not fire, and the left clamp does.
        GeometryCase{
            "wider than the screen", 1100, 165, 1, 475, 384, {1100, 165, -76, 302, 1100, 165}},
        GeometryCase{"wider, far edge exactly on the edge",
                     1100,
                     165,
                     1,
                     474,
                     384,
                     {1100, 165, 0, 302, 1100, 165}},
        // Beyond the 16-bit range the cursor is clamped into it; the tick does not fail.
        GeometryCase{"cursor far right and below",
                     220,
                     165,
                     2,
                     100000,
                     100000,
                     {220, 165, 914, 686, 110, 82}},
        GeometryCase{
            "cursor far left and above", 220, 165, 2, -100000, -100000, {220, 165, 0, 0, 110, 82}}),
    fakes::NameFromWhat());

TEST_F(CaptureTick, CursorBeyondSixteenBitsIsStoredClamped) {
  TickAt(70000, -70000);
  EXPECT_EQ(world.form.LastCursorX, 32767);
  EXPECT_EQ(world.form.LastCursorY, -32768);
}

TEST_F(CaptureTick, ViewBeyondSixteenBitsIsClampedAndStillDraws) {
  SetView(40000, 70000, 1);
  EXPECT_EQ(world.form.ViewWidth, 32767);
  EXPECT_EQ(world.form.ViewHeight, 32767);
  EXPECT_EQ(TickAt(512, 384), (StretchCall{32767, 32767, -31743, -31999, 32767, 32767}));
}

TEST_F(CaptureTick, HugeScreenAndCursorStayInsideSixteenBits) {
  world.form.ScreenWidth = 32767;
  world.form.ScreenHeight = 32767;
  EXPECT_EQ(TickAt(40000, 40000), (StretchCall{220, 165, 32657, 32684, 110, 82}));
  // A desktop that starts right of and below the origin ends beyond the 16-bit range.
  world.form.ScreenLeft = 1000;
  world.form.ScreenTop = 1000;
  EXPECT_EQ(TickAt(40000, 40000), (StretchCall{220, 165, 32712, 32726, 110, 82}));
}

TEST_F(CaptureTick, DesktopWithAMonitorLeftOfThePrimaryClampsToItsNegativeEdge) {
  // A 1280-pixel monitor left of the 1024-pixel primary: the desktop spans -1280 .. 1024 across,
  // and still 0 .. 768 down: the top and bottom clamps stay where they were.
  world.form.ScreenLeft = -1280;
  world.form.ScreenWidth = 2304;
  EXPECT_EQ(TickAt(-1279, 384).srcX, -1280);
  EXPECT_EQ(TickAt(-20, 384).srcX, -75);  // across the border between the two
  EXPECT_EQ(TickAt(1023, 384).srcX, 914);
  EXPECT_EQ(TickAt(-1279, 2), (StretchCall{220, 165, -1280, 0, 110, 82}));
  EXPECT_EQ(TickAt(-1279, 767), (StretchCall{220, 165, -1280, 686, 110, 82}));
}

TEST_F(CaptureTick, AnOddFarEdgeOfTheDesktopRoundsTheClampedOriginToEven) {
  // 1023 - 110.5 and 767 - 82.5 are ties: both go to the even neighbour, as the stored corner.
  world.form.ScreenWidth = 1023;
  world.form.ScreenHeight = 767;
  SetView(221, 165, 2);
  EXPECT_EQ(TickAt(1022, 766), (StretchCall{221, 165, 912, 684, 110, 82}));
  EXPECT_EQ(world.form.LockedSourceX, 912);
  EXPECT_EQ(world.form.LockedSourceY, 684);
}

TEST_F(CaptureTick, StillCursorDrawsNothingAndTakesNoDeviceContext) {
  TickAt(300, 300);
  const int queries = world.screen.cursorQueries;
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(Tick().empty());
  EXPECT_EQ(world.screen.cursorQueries, queries + 5);
  EXPECT_EQ(world.form.LastCursorX, 300);
}

TEST_F(CaptureTick, EveryWayOfForcingARedrawDrawsUnderAStillCursor) {
  const std::vector<std::pair<const char*, std::function<void()>>> forcers{
      {"ForceRedraw", [&] { world.form.ForceRedraw(); }},
      {"focus", [&] { world.form.Form_GotFocus(); }},
      {"resize", [&] { world.form.Form_Resize(); }},
      {"zoom in", [&] { world.form.ZoomIn(); }},
      {"zoom out", [&] { world.form.ZoomOut(); }},
  };
  TickAt(300, 300);
  for (const auto& [what, force] : forcers) {
    force();
    EXPECT_EQ(world.form.LastCursorX, -9999) << what;
    EXPECT_EQ(world.form.LastCursorY, -9999) << what;
    EXPECT_EQ(Tick().size(), 1u) << what;
    EXPECT_TRUE(Tick().empty()) << what;
  }
}

TEST_F(CaptureTick, ResizeTakesTheNewClientSizeForTheNextDraw) {
  world.window.clientWidth = 300;
  world.window.clientHeight = 100;
  world.form.Form_Resize();
  EXPECT_EQ(Tick(), (std::vector<StretchCall>{{300, 100, 437, 359, 150, 50}}));
}

TEST_F(CaptureTick, FrozenRedrawsTheFixedRectangleOnEveryTickWhereverTheCursorIs) {
  TickAt(1000, 700);  // 945 passes the right edge -> 914; 658.75 -> 659
  world.form.ToggleFreeze();
  for (const auto& at : {std::pair{10, 10}, {10, 10}, {600, 300}}) {
    world.screen.cursor = {at.first, at.second};
    EXPECT_EQ(Tick(), (std::vector<StretchCall>{{220, 165, 914, 659, 110, 82}}));
  }
  EXPECT_EQ(world.form.LastCursorX, 1000);
}

TEST_F(CaptureTick, ZoomChangeWhileFrozenShiftsForDisplayOnly) {
  TickAt(1000, 700);
  world.form.ToggleFreeze();
  world.form.ZoomOut();  // 220 x 165 from (914, 659) would cross the right and bottom edges
  EXPECT_EQ(Tick(), (std::vector<StretchCall>{{220, 165, 804, 603, 220, 165}}));
  EXPECT_EQ(world.form.LockedSourceX, 914);
  EXPECT_EQ(world.form.LockedSourceY, 659);
  world.form.ZoomIn();
  world.form.ZoomIn();  // zoom 3 keeps the corner and shrinks the rectangle
  EXPECT_EQ(Tick(), (std::vector<StretchCall>{{220, 165, 914, 659, 73, 55}}));
}

TEST_F(CaptureTick, UnfreezeWithTheCursorWhereItWasDrawsNothingUntilItMoves) {
  TickAt(600, 400);
  world.form.ToggleFreeze();
  EXPECT_EQ(Tick().size(), 1u);
  world.form.ToggleFreeze();
  EXPECT_TRUE(Tick().empty());
  world.screen.cursor = {601, 400};
  EXPECT_EQ(Tick(), (std::vector<StretchCall>{{220, 165, 546, 359, 110, 82}}));
}

TEST_F(CaptureTick, UnfreezeAfterTheCursorMovedRedrawsAtTheNewPosition) {
  TickAt(600, 400);
  world.form.ToggleFreeze();
  world.screen.cursor = {100, 100};
  Tick();
  world.form.ToggleFreeze();
  EXPECT_EQ(Tick(), (std::vector<StretchCall>{{220, 165, 45, 59, 110, 82}}));
}

// Where the screen hears of cursor motion, a still cursor's tick idles Timer1; a move, a warp
// found by a rarer idle tick, and everything else that makes a tick draw wake it on the schedule
// it kept (0.05 + k * 0.05 s).
TEST(IdleCapture, AStillCursorIdlesTheTimerAndWhatMakesATickDrawWakesIt) {
  const std::vector<std::pair<const char*, std::function<void(FakeWorld&)>>> wakers{
      {"move", [](FakeWorld& w) { w.MoveCursor(600, 400); }},
      {"warp",
       [](FakeWorld& w) {
         w.screen.cursor = {600, 400};
         w.form.Timer1_Timer();  // the rarer tick of the idle timer finds it
       }},
      {"zoom click", [](FakeWorld& w) { w.form.Form_MouseDown(1, 0, 0, 0); }},
      {"focus", [](FakeWorld& w) { w.form.Form_GotFocus(); }},
      {"freeze", [](FakeWorld& w) { w.form.MenuClick(MenuItem::menuFreeze); }},
      {"freeze and lock", [](FakeWorld& w) { w.form.VBHotKey2_HotKey(); }},
      {"refresh high", [](FakeWorld& w) { w.form.MenuClick(MenuItem::menuRefreshHigh); }},
  };
  for (const auto& [what, wake] : wakers) {
    FakeWorld w;
    w.screen.wakesOnMotion = true;
    w.Start();
    w.Run(1.02);  // drew at 0.05, idle since the still tick at 0.10
    ASSERT_EQ(w.timer1.ticks.size(), 2u) << what;
    wake(w);
    w.Run(0.05);
    ASSERT_GE(w.timer1.ticks.size(), 3u) << what;
    EXPECT_NEAR(w.timer1.ticks[2], 1.05, 1e-9) << what;
    EXPECT_GE(w.screen.stretches.size(), 2u) << what;
  }
}

}  // namespace
}  // namespace vistrel
