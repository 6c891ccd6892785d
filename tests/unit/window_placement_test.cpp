// Where a restored frame may stand: what stays exactly as stored, and what is brought back.
#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <ostream>

#include "fakes.h"

namespace vistrel::platform {

void PrintTo(const PixelRect& f, std::ostream* os) {
  *os << f.left << "," << f.top << " " << f.width << "x" << f.height;
}

}  // namespace vistrel::platform

namespace vistrel::placement {
namespace {

// A primary monitor of 1024 x 768 with a 28-pixel task bar at its bottom, a 1280 x 1024 monitor
// on its left, and an 800 x 600 one above its right end.
const std::vector<platform::Monitor> kMonitors{{{0, 0, 1024, 768}, {0, 0, 1024, 740}},
                                               {{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}},
                                               {{1024, -600, 800, 600}, {1024, -600, 800, 600}}};

struct PlacementCase {
  const char* what;
  Frame stored;
  Frame expected;
  double titleHeight = 26;
  std::vector<platform::Monitor> monitors = kMonitors;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, FitsTheFrameOnItsMonitor) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(Place(c.stored, c.titleHeight, c.monitors), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        PlacementCase{"inside stays", {100, 100, 228, 191}, {100, 100, 228, 191}},
        PlacementCase{"on the left monitor stays", {-900, 700, 228, 191}, {-900, 700, 228, 191}},
        PlacementCase{"across the border stays", {-100, 10, 228, 191}, {-100, 10, 228, 191}},
        PlacementCase{"partly off the bottom stays", {100, 700, 228, 191}, {100, 700, 228, 191}},
        PlacementCase{"title bar one pixel on moves", {1023, 767, 228, 191}, {796, 549, 228, 191}},
        PlacementCase{
            "0.6 pixels on the right edge moves", {1023.4, 99.7, 228, 191}, {796, 99.7, 228, 191}},
        PlacementCase{"title bar 40 pixels on stays", {984, 100, 228, 191}, {984, 100, 228, 191}},
        PlacementCase{"31.6 pixels rounded to 32 stay", {992.4, 1, 228, 191}, {992.4, 1, 228, 191}},
        PlacementCase{
            "title bar above the top moves", {100.4, -30, 228, 191}, {100.4, 0, 228, 191}},
        PlacementCase{"31 pixels on moves", {993, 100, 228, 191}, {796, 100, 228, 191}},
        PlacementCase{"8 rows above the task bar stay", {100, 732, 228, 191}, {100, 732, 228, 191}},
        PlacementCase{"7 rows above the task bar move", {100, 733, 228, 191}, {100, 549, 228, 191}},
        PlacementCase{
            "a 7.4-row title bar counts 7 rows", {100, 733, 228, 191}, {100, 733, 228, 191}, 7.4},
        PlacementCase{"narrower than 32 pixels stays", {100, 700, 20, 191}, {100, 700, 20, 191}},
        PlacementCase{"no width off the right moves", {1100, 100, 0, 191}, {1024, 100, 0, 191}},
        PlacementCase{"no size and no title below moves", {100, 800, 0, 0}, {100, 740, 0, 0}, 0},
        PlacementCase{"off the right moves in", {1100, 100, 228, 191}, {796, 100, 228, 191}},
        PlacementCase{"below every monitor comes up onto the nearest",
                      {-300, 1030, 228, 191},
                      {-300, 833, 228, 191}},
        // Until now reduced to the monitor's work area.
        PlacementCase{"larger than the monitor stays", {0, 0, 2000, 900}, {0, 0, 2000, 900}},
        PlacementCase{"over both monitors stays", {-600, 10, 1200, 300}, {-600, 10, 1200, 300}},
        PlacementCase{"screen tall stays", {100, 0, 228, 768}, {100, 0, 228, 768}},
        PlacementCase{"title under the task bar moves", {9, 750, 228, 191}, {9, 549, 228, 191}},
        PlacementCase{"no title partly off the bottom", {9, 700, 228, 191}, {9, 700, 228, 191}, 0},
        PlacementCase{"title only on the less covered", {900, -26, 300, 700}, {900, -26, 300, 700}},
        PlacementCase{"title above the left monitor", {-900, -30, 228, 191}, {-900, 0, 228, 191}},
        PlacementCase{
            "off the right onto the work area", {1100, 700, 228, 191}, {796, 549, 228, 191}},
        PlacementCase{"larger than the work area", {1100, 900, 1500, 900}, {0, 0, 1500, 900}},
        // Unreachable frames on two monitors go to the one they cover most, by area.
        PlacementCase{"covering the left monitor more", {-150, -30, 228, 191}, {-228, 0, 228, 191}},
        PlacementCase{"covering the primary more", {-50, -30, 228, 191}, {0, 0, 228, 191}},
        PlacementCase{"more area beats a wider strip", {1000, -5, 228, 191}, {796, 0, 228, 191}},
        PlacementCase{
            "as far from two goes to the first", {256, 1024, 228, 191}, {256, 549, 228, 191}},
        PlacementCase{"a corner nearer than a side",
                      {1300, 1300, 100, 100},
                      {900, 900, 100, 100},
                      26,
                      {{{0, 0, 1000, 1000}, {0, 0, 1000, 1000}},
                       {{1300, 1900, 500, 500}, {1300, 1900, 500, 500}}}}),
    fakes::NameFromWhat());

TEST(PlacementWithoutMonitors, LeavesTheFrameAlone) {
  const Frame far{-30000, 30000, 228, 191};
  EXPECT_EQ(Place(far, 26, {}), far);
  EXPECT_FALSE(Desktop({}).has_value());
  EXPECT_EQ(Desktop(kMonitors), (platform::PixelRect{-1280, -600, 3104, 1624}));
  const platform::PixelRect lower{0, 768, 1024, 768};
  EXPECT_EQ(Desktop({kMonitors[0], {lower, lower}}), (platform::PixelRect{0, 0, 1024, 1536}));
}

}  // namespace
}  // namespace vistrel::placement
