// Two monitors, the second one left of the primary, so that the desktop starts at negative
// coordinates: the picture is the source rectangle under the cursor on both monitors, on both
// sides of the border between them and at the desktop's far corners. They skip on a desktop of one
// monitor, unless VISTREL_E2E_MONITORS=2 says the desktop has two (the second Wine session of the
// tests): then one monitor fails them, so that a lost monitor cannot pass as a skip.
#include <array>
#include <cstdlib>
#include <string>

#include "cases.h"

namespace e2e {

class Monitors : public VistrelCase {};

namespace {

// The black square's columns in the middle row of the view.
bool SquareBetween(const Picture& p, int first, int last) {
  const int y = 82;
  return p.At(first - 1, y) == kWhite && p.At(first, y) == kBlack && p.At(last, y) == kBlack &&
         p.At(last + 1, y) == kWhite;
}

// Two monitors: the picture on both, across the border, at the far corners.
TEST_F(Monitors, BothMonitorsAndTheBorderBetween) {
  const int monitors = GetSystemMetrics(SM_CMONITORS);
  if (monitors < 2) {
    const char* expected = std::getenv("VISTREL_E2E_MONITORS");
    if (expected && std::atoi(expected) >= 2)
      FAIL() << "two monitors expected (VISTREL_E2E_MONITORS), the desktop has " << monitors;
    GTEST_SKIP() << "needs a desktop of two monitors";
  }
  const int left = g_pattern->Left();
  const int top = g_pattern->Top();
  const int right = left + g_pattern->Width();
  const int bottom = top + g_pattern->Height();
  Check(left < 0,
        "a monitor lies left of the primary one: the desktop starts at " + std::to_string(left));
  const POINT centre = g_pattern->Centre();  // the square, here on the border at x = 0
  ClearSettings();
  // On the secondary monitor: a place that shows stays as stored.
  PutSetting("Left", std::to_string((left + 100) * 15).c_str());
  PutSetting("Top", "1500");
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  RECT r{};
  GetWindowRect(main, &r);
  Check(r.left == left + 100 && r.top == 100, "the window opened where it was stored, on the left");
  // Zoom 2, 110 x 82 source pixels: 20 pixels left of the square's centre, the source starts at
  // x - 55, so the square's 20 columns show at view columns 2 * (45 - 10) .. 2 * (45 + 10) - 1.
  MoveCursor(centre.x + 20, centre.y);
  ExpectPicture(main, "right of the border",
                [](const Picture& p) { return SquareBetween(p, 50, 89); });
  MoveCursor(centre.x - 20, centre.y);
  ExpectPicture(main, "left of the border",
                [](const Picture& p) { return SquareBetween(p, 130, 169); });
  MoveCursor(left + 3, bottom - 3);
  ExpectPicture(main, "the far bottom left corner, on the secondary monitor", [](const Picture& p) {
    return p.At(4, 80) == kRed && p.At(14, 80) == kWhite && p.At(100, 161) == kYellow &&
           p.At(100, 80) == kWhite;
  });
  MoveCursor(right - 4, top + 5);
  ExpectPicture(main, "the far top right corner, on the primary monitor", [](const Picture& p) {
    return p.At(215, 80) == kBlue && p.At(205, 80) == kWhite && p.At(100, 3) == kGreen &&
           p.At(100, 80) == kWhite;
  });
  PostMessageA(main, WM_CLOSE, 0, 0);
  Check(vistrel.WaitForExit() == 0u, "closed normally");
}

// Frames that show open as stored, whatever their size, and are saved back unchanged: one as
// tall as the screen, one across both monitors (wider than either).
TEST_F(Monitors, FramesThatShowStayAsStored) {
  if (GetSystemMetrics(SM_CMONITORS) < 2) GTEST_SKIP() << "needs a desktop of two monitors";
  const char* names[] = {"Left", "Top", "Width", "Height"};
  const std::string left = std::to_string((g_pattern->Left() + 500) * 15);
  using Frame = std::array<std::string, 4>;
  for (const Frame& f :
       {Frame{"7500", "0", "3420", "11520"}, Frame{left, "1500", "18000", "3000"}}) {
    ClearSettings();
    for (int i = 0; i < 4; ++i) PutSetting(names[i], f[i].c_str());
    Vistrel vistrel;
    HWND main = vistrel.WaitForMainWindow();
    RECT r{};
    GetWindowRect(main, &r);
    const LONG got[] = {r.left, r.top, r.right - r.left, r.bottom - r.top};
    PostMessageA(main, WM_CLOSE, 0, 0);
    Check(vistrel.WaitForExit() == 0u, "closed normally");
    for (int i = 0; i < 4; ++i) {
      Check(got[i] * 15 == std::stol(f[i]) && GetSetting(names[i]) == f[i],
            std::string(names[i]) + " " + f[i] + " opened and was saved as stored");
    }
  }
}

}  // namespace
}  // namespace e2e
