// What both shells compute alike from their platform's events: whole pixels of twips, the limits
// of the numeric stores, the mouse codes, the tray message of an activation, and when a woken
// timer ticks.
#include <gtest/gtest.h>

#include <cmath>
#include <tuple>

#include "app/failure.h"
#include "app/mouse_codes.h"
#include "app/numeric.h"
#include "app/twips.h"
#include "magnifier/tick_schedule.h"
#include "tray/tray_icon_record.h"

namespace vistrel {
namespace {

TEST(Twips, BecomeWholePixelsWithTiesToEvenWithinWindowCoordinates) {
  // 1.5 and 2.5 pixels both give 2; stored values beyond any screen stay within window
  // coordinates, never undefined.
  const std::pair<double, int> cases[] = {{3075, 205},     {-300, -20},     {22.5, 2}, {37.5, 2},
                                          {3.4e38, 32767}, {-1e30, -32768}, {NAN, 0}};
  for (const auto& [twips, pixels] : cases) EXPECT_EQ(TwipsToPixels(twips, 15), pixels) << twips;
  // And back, by the ratio of the axis.
  EXPECT_EQ(PixelsToTwips(205, 15), 3075.0f);
  EXPECT_EQ(PixelsToTwips(-20, 12), -240.0f);
}

TEST(Numeric, StoresTakeTheLimitsOfTheirTypeAndFailBeyondThem) {
  EXPECT_EQ(ToInt32(2147483647.0), 2147483647);
  EXPECT_EQ(ToInt32(-2147483648.0), -2147483647 - 1);
  for (const double beyond : {2147483647.5, -2147483648.6, double(NAN)})
    EXPECT_THROW(ToInt32(beyond), Failure) << beyond;
  EXPECT_THROW(ToSingle(NAN), Failure);
}

TEST(MouseCodes, ButtonsAndModifierKeysAreTheBitsOfThePlatformsMouseMessages) {
  const std::pair<mouse::State, mouse::Codes> cases[] = {
      {{}, {0, 0}},
      {{.left = true, .shift = true}, {1, 1}},
      {{.right = true, .ctrl = true}, {2, 2}},
      {{.middle = true, .alt = true}, {4, 4}},
      {{.left = true, .right = true, .shift = true, .ctrl = true, .alt = true}, {3, 7}}};
  for (const auto& [state, codes] : cases) {
    EXPECT_TRUE(mouse::Encode(state) == codes) << codes.button << " " << codes.shift;
  }
}

TEST(TrayActivation, EachIsItsMouseMessageAndAClickShowsTheWindowWhereNoDoubleClickComes) {
  using enum TrayActivation;
  const std::tuple<TrayActivation, bool, std::optional<std::int32_t>> cases[] = {
      {kClick, false, 513},      {kClick, true, 515},        {kDoubleClick, false, 515},
      {kDoubleClick, true, 515}, {kContextMenu, false, 517}, {kContextMenu, true, 517},
      {kOther, false, {}},       {kOther, true, {}}};
  for (const auto& [activation, statusNotifierHost, message] : cases) {
    EXPECT_EQ(TrayMessageOf(activation, statusNotifierHost), message)
        << static_cast<int>(activation) << statusNotifierHost;
  }
}

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
