// The nearest-pixel copy every CPU path shares: which picture pixel each view pixel shows, and
// what it leaves alone where the rectangle reaches past the picture.
#include "magnifier/nearest_copy.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

namespace vistrel {
namespace {

using magnifier::CopyNearest;
using magnifier::SourceArea;

constexpr std::uint32_t kUntouched = 0x00abcdefu;

// A picture whose pixel (x, y) is 0x00yyxx (no alpha: the copy must add it), with a row padded
// by two pixels as a stream's stride may be.
struct Picture {
  int width, height;
  std::vector<std::uint32_t> pixels;
  Picture(int w, int h) : width(w), height(h), pixels(std::size_t(w + 2) * h) {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) pixels[std::size_t(y) * (w + 2) + x] = std::uint32_t(y << 8 | x);
    }
  }
  magnifier::PixelsIn In() const {
    return {reinterpret_cast<const std::uint8_t*>(pixels.data()), (width + 2) * 4, width, height};
  }
};

// The view as text, one "x,y" or "-" (untouched) per pixel, rows separated by "|".
std::string Copy(const Picture& picture, SourceArea area, int viewW, int viewH,
                 std::vector<std::uint32_t>* reuse = nullptr) {
  std::vector<std::uint32_t> own(std::size_t(viewW) * viewH, kUntouched);
  std::vector<std::uint32_t>& view = reuse ? *reuse : own;
  CopyNearest(picture.In(), area,
              {reinterpret_cast<std::uint8_t*>(view.data()), viewW * 4, viewW, viewH});
  std::string text;
  for (int j = 0; j < viewH; ++j) {
    if (j) text += '|';
    for (int i = 0; i < viewW; ++i) {
      const std::uint32_t p = view[std::size_t(j) * viewW + i];
      if (i) text += ' ';
      if (p == kUntouched) {
        text += '-';
      } else {
        EXPECT_EQ(p >> 24, 0xffu) << "view pixels are opaque";
        text += std::to_string(p & 0xff) + "," + std::to_string((p >> 8) & 0xff);
      }
    }
  }
  return text;
}

struct NearestCase {
  const char* what;
  SourceArea area;
  int viewW, viewH;
  const char* shown;
};

void PrintTo(const NearestCase& c, std::ostream* os) {
  *os << c.what;
}

class NearestCopy : public ::testing::TestWithParam<NearestCase> {};

TEST_P(NearestCopy, ShowsThePicturePixelUnderEachViewPixelsCentre) {
  const NearestCase& c = GetParam();
  EXPECT_EQ(Copy(Picture(4, 3), c.area, c.viewW, c.viewH), c.shown) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, NearestCopy,
    ::testing::Values(
        NearestCase{"zoom 2 repeats each pixel twice each way",
                    {1, 1, 2, 1},
                    4,
                    2,
                    "1,1 1,1 2,1 2,1|1,1 1,1 2,1 2,1"},
        NearestCase{"2 pixels over 5 columns: the centre decides, 2 then 3",
                    {0, 0, 2, 1},
                    5,
                    1,
                    "0,0 0,0 1,0 1,0 1,0"},
        NearestCase{
            "a fractional start shifts the picked column", {0.5, 0, 2, 1}, 4, 1, "0,0 1,0 1,0 2,0"},
        NearestCase{"past the left and top edges: those view pixels stay",
                    {-1, -1, 2, 2},
                    2,
                    2,
                    "- -|- 0,0"},
        NearestCase{"past the right and bottom edges: those view pixels stay",
                    {3, 2, 2, 2},
                    2,
                    2,
                    "3,2 -|- -"},
        NearestCase{"wholly off the picture: nothing is written", {10, 0, 2, 2}, 2, 2, "- -|- -"},
        NearestCase{"1/1 copies pixel for pixel",
                    {1, 0, 3, 3},
                    3,
                    3,
                    "1,0 2,0 3,0|1,1 2,1 3,1|1,2 2,2 3,2"},
        NearestCase{"an empty rectangle writes nothing", {0, 0, 0, 2}, 2, 1, "- -"}),
    [](const auto& info) { return std::to_string(info.index); });

TEST(NearestCopyAcrossPictures, TwoMonitorsSideBySideFillOneViewInTurn) {
  // A source rectangle from x 2 to 6 over a 4-pixel-wide monitor and one to its right: each
  // picture writes its own part, in its own pixels.
  std::vector<std::uint32_t> view(4, kUntouched);
  Copy(Picture(4, 3), {2, 0, 4, 1}, 4, 1, &view);
  EXPECT_EQ(Copy(Picture(4, 3), {-2, 0, 4, 1}, 4, 1, &view), "2,0 3,0 0,0 1,0");
}

}  // namespace
}  // namespace vistrel
