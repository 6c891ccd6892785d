// Where a restored frame may stand: what stays exactly as stored, and what is brought back.
#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <ostream>

#include "fakes.h"

namespace vistrel::placement {

void PrintTo(const Frame& f, std::ostream* os) {
  *os << f.left << "," << f.top << " " << f.width << "x" << f.height;
}

namespace {

struct PlacementCase {
  const char* what;
  Frame stored;
  Frame expected;
};

class Placement : public ::testing::TestWithParam<PlacementCase> {};

// A primary monitor of 1024 x 768 with a 1280 x 1024 monitor on its left.
const std::vector<platform::WorkArea> kMonitors{{0, 0, 1024, 768}, {-1280, 0, 1280, 1024}};

TEST_P(Placement, FitsTheFrameOnItsMonitor) {
  const PlacementCase& c = GetParam();
  EXPECT_EQ(FitOnMonitors(c.stored, 26, kMonitors), c.expected) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Placement,
    ::testing::Values(
        PlacementCase{"inside stays", {100, 100, 228, 191}, {100, 100, 228, 191}},
        PlacementCase{"on the left monitor stays", {-900, 700, 228, 191}, {-900, 700, 228, 191}},
        PlacementCase{"across the border stays", {-100, 10, 228, 191}, {-100, 10, 228, 191}},
        PlacementCase{"partly off the bottom stays", {100, 700, 228, 191}, {100, 700, 228, 191}},
        PlacementCase{"title bar one pixel on stays", {1023, 767, 228, 191}, {1023, 767, 228, 191}},
        PlacementCase{"title bar above the top moves", {100, -30, 228, 191}, {100, 0, 228, 191}},
        PlacementCase{"off the right moves in", {1100, 100, 228, 191}, {796, 100, 228, 191}},
        PlacementCase{"below every monitor comes up onto the nearest",
                      {-300, 1030, 228, 191},
                      {-300, 833, 228, 191}},
        PlacementCase{
            "larger than the monitor shrinks to it", {0, 0, 2000, 900}, {0, 0, 1024, 768}}),
    fakes::NameFromWhat());

TEST(PlacementWithoutMonitors, LeavesTheFrameAlone) {
  const Frame far{-30000, 30000, 228, 191};
  EXPECT_EQ(FitOnMonitors(far, 26, {}), far);
}

}  // namespace
}  // namespace vistrel::placement
