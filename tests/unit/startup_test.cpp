// Start-up: the single-instance guard and its error report, and the start-up sequence that
// restores the settings one by one, applies always-on-top before the first show, measures the
// screen and picks the first zoom.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <tuple>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel";

TEST(StartupGuard, SecondCopyShowsWhereTheFirstLivesAndEndsTouchingNothing) {
  FakeWorld world;
  world.runtime.previousInstance = true;
  EXPECT_TRUE(world.Ends([&] { world.form.Form_Initialize(); }));
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_EQ(world.messages.shown[0].text,
            "Vistrel is already running.\r\n"
            "To view its popupmenu, rightclick on the Vistrel icon\r\n"
            "in the system tray (on the taskbar, next to the clock).");
  EXPECT_EQ(world.messages.shown[0].title, "Vistrel");
  EXPECT_EQ(world.messages.shown[0].style, 64);
  EXPECT_EQ(world.journal, (std::vector<std::string>{"box Vistrel", "end"}));
  EXPECT_TRUE(world.tray.calls.empty());
  EXPECT_TRUE(world.registry.log.empty());
}

TEST(StartupGuard, RunningCopyWithoutTrayIsBroughtForwardInsteadOfTheBox) {
  const std::string forward = "bring running copy forward";
  for (const auto& [hasTray, answers, journal] :
       {std::tuple{true, true, std::vector<std::string>{"box Vistrel", "end"}},
        std::tuple{false, true, std::vector<std::string>{forward, "end"}},
        std::tuple{false, false, std::vector<std::string>{forward, "box Vistrel", "end"}}}) {
    FakeWorld world;
    world.runtime.previousInstance = true;
    world.runtime.runningCopyHasTray = hasTray;
    world.runtime.runningCopyAnswers = answers;
    EXPECT_TRUE(world.Ends([&] { world.form.Form_Initialize(); }));
    EXPECT_EQ(world.journal, journal) << hasTray << answers;
  }
}

struct GuardFailure {
  const char* what;
  std::int32_t number;
  const char* description;
  const char* secondLine;
  const char* advice;
};

class StartupReport : public ::testing::TestWithParam<GuardFailure> {};

TEST_P(StartupReport, FailureInTheGuardIsReportedAndStartUpGoesOn) {
  const GuardFailure& c = GetParam();
  FakeWorld world;
  world.runtime.previousInstanceFailure = Failure(c.number, c.description);
  EXPECT_FALSE(world.Ends([&] { world.Start(); }));
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_EQ(world.messages.shown[0].text,
            std::string("An Error was generated:\r\n") + c.secondLine + "\r\n\r\n" + c.advice);
  EXPECT_EQ(world.messages.shown[0].title, "Error");
  EXPECT_EQ(world.messages.shown[0].style, 0);
  EXPECT_TRUE(world.window.visible);
  EXPECT_EQ(world.tray.calls.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupReport,
    ::testing::Values(
        GuardFailure{"component missing", 339, "Component not found",
                     "Description: Error 339 - Component not found",
                     "Re-install the program to fix this."},
        GuardFailure{"component failed", 50003, "Unexpected error",
                     "Description: Error 50003 - Unexpected error",
                     "Re-install the program to fix this, or get the latest vbruntimes at "
                     "Tarnwell."},
        GuardFailure{"any other number", 6, "Overflow", "Description: Error 6 - Overflow",
                     "Please inform the author with the error description above."},
        GuardFailure{"negative number", -5, "Lock failed", "Description: Error-5 - Lock failed",
                     "Please inform the author with the error description above."}),
    fakes::NameFromWhat());

class Startup : public ::testing::Test {
 protected:
  bool Checked(MenuItem item) { return world.form.Menu().Checked(item); }
  void StoreAll(const std::vector<std::pair<std::string, std::string>>& values) {
    for (const auto& [name, text] : values) world.StoreSetting(name, text);
  }
  FakeWorld world;
};

TEST_F(Startup, SequenceRestoresEachSettingInTurnAndMakesTopmostBeforeTheFirstShow) {
  StoreAll({{"Top", "1440"},
            {"Left", "300"},
            {"Height", "2910"},
            {"Width", "3420"},
            {"RefreshHigh", "False"},
            {"RefreshAlways", "False"},
            {"OnTop", "True"},
            {"Keep1to1", "True"}});
  world.Start();
  std::vector<std::string> seen;
  for (const auto& e : world.journal) {
    if (e != "close" && e.rfind("open-read", 0) != 0) seen.push_back(e);
  }
  EXPECT_EQ(seen,
            (std::vector<std::string>{
                "tray add", "hide from task list", std::string("create ") + kKey, "query Top",
                "SetTop 1440", "query Left", "SetLeft 300", "query Height", "SetHeight 2910",
                "query Width", "SetWidth 3420", "query RefreshHigh", "query RefreshAlways",
                "query OnTop", "SetWindowPos -1", "measure screen", "query Keep1to1", "Show"}));
  EXPECT_TRUE(world.registry.open.empty());
  EXPECT_EQ(world.form.ZoomFactor, 1);
}

TEST_F(Startup, FirstRunCreatesTheKeyAndRunsOnTheDesignedDefaults) {
  world.Start();
  EXPECT_EQ(world.registry.keys.count(kKey), 1u);
  EXPECT_EQ(world.window.top, 2805);
  EXPECT_EQ(world.window.left, 3015);
  EXPECT_EQ(world.window.height, 2865);
  EXPECT_EQ(world.window.width, 3420);
  for (const auto item : {MenuItem::menuRefreshHigh, MenuItem::menuRefreshAlways,
                          MenuItem::menuOnTop, MenuItem::menuKeep1to1, MenuItem::menuFreeze}) {
    EXPECT_FALSE(Checked(item));
  }
  EXPECT_TRUE(world.window.windowPosCalls.empty());
  EXPECT_EQ(world.form.ZoomFactor, 2);
  EXPECT_EQ(world.form.SourceLocked, 0);
  EXPECT_EQ(world.form.SecondsToWait, "");
  EXPECT_EQ(world.form.ScreenWidth, 1024);
  EXPECT_EQ(world.form.ScreenHeight, 768);
  EXPECT_EQ(world.form.ViewWidth, 220);
  EXPECT_EQ(world.form.ViewHeight, 165);
  EXPECT_EQ(world.form.LastCursorX, -9999);
  EXPECT_TRUE(world.window.visible);
}

TEST_F(Startup, UnusableTopKeepsTheDesignedTopAndTheOtherSettingsStillApply) {
  StoreAll({{"Top", "abc"},
            {"Left", "300"},
            {"Height", std::string(255, '7')},
            {"Width", fakes::FakeRegistryApi::kZeroBytes},
            {"OnTop", "1e400"},
            {"Keep1to1", "True"}});
  world.Start();
  EXPECT_EQ(world.window.top, 2805);
  EXPECT_EQ(world.window.left, 300);
  EXPECT_EQ(world.window.height, 2865);  // 255 characters count as missing
  EXPECT_EQ(world.window.width, 3420);   // a zero-byte value fails its read
  EXPECT_FALSE(Checked(MenuItem::menuOnTop));
  EXPECT_TRUE(Checked(MenuItem::menuKeep1to1));
  EXPECT_TRUE(world.window.visible);
}

TEST_F(Startup, NumbersAreReadInTheUsersNotationWithBlanksAndAPartlyShownFrameStays) {
  world.runtime.decimalSeparator = ',';
  StoreAll({{"Top", "  1440"}, {"Left", "-300"}, {"Height", "2910,5"}, {"Width", "3,42E3"}});
  world.Start();
  EXPECT_EQ(world.window.top, 1440);
  EXPECT_EQ(world.window.left, -300);  // 20 pixels off the left edge: the title bar still shows
  EXPECT_EQ(world.window.height, 2910.5f);
  EXPECT_EQ(world.window.width, 3420);
}

// The window's frame (left, top, width, height in twips) after a start with these settings.
std::vector<float> FrameAfterStart(const std::vector<std::pair<std::string, std::string>>& values,
                                   std::optional<std::vector<platform::Monitor>> monitors = {},
                                   double twipsPerPixelY = 15) {
  FakeWorld world;
  if (monitors) world.screen.monitors = *monitors;
  world.screen.twipsPerPixelY = twipsPerPixelY;
  for (const auto& [name, text] : values) world.StoreSetting(name, text);
  world.Start();
  return {world.window.left, world.window.top, world.window.width, world.window.height};
}

TEST(StartupPlacement, StoredFrameNoMonitorCanShowComesBackOntoTheScreen) {
  // Sizes beyond the desktop are unusable and keep the designed ones; the frame comes onto the
  // screen.
  EXPECT_EQ(FrameAfterStart(
                {{"Left", "-1E+30"}, {"Top", "1E+30"}, {"Width", "1E+30"}, {"Height", "3.4E+38"}}),
            (std::vector<float>{0, 8655, 3420, 2865}));
  // A negative size is unusable and keeps the designed one; the frame comes onto the screen.
  EXPECT_EQ(
      FrameAfterStart(
          {{"Left", "1E+30"}, {"Top", "-1E+30"}, {"Width", "-1E+30"}, {"Height", "-3.4E+38"}}),
      (std::vector<float>{11940, 0, 3420, 2865}));
}

// A primary monitor with a 28-pixel task bar, and a 1280 x 1024 monitor on its left.
const std::vector<platform::Monitor> kTwoMonitors{{{0, 0, 1024, 768}, {0, 0, 1024, 740}},
                                                  {{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}}};

TEST(StartupPlacement, FrameOnAMonitorThatIsGoneMovesWhollyOntoTheNearestOne) {
  // 3000 pixels left of the primary: the 1280 x 1024 monitor on its left is nearer.
  EXPECT_EQ(FrameAfterStart({{"Left", "-45000"}, {"Top", "16500"}}, kTwoMonitors),
            (std::vector<float>{-19200, 12495, 3420, 2865}));
}

TEST(StartupPlacement, DesktopSizeLimitTitleHeightAndEachAxisOwnTwips) {
  struct Case {
    std::vector<std::pair<std::string, std::string>> values;
    double twipsPerPixelY;
    std::vector<float> expected;
    std::vector<platform::Monitor> monitors = kTwoMonitors;
  };
  for (const Case& c : std::vector<Case>{
           {{{"Width", "34560"}}, 15, {3015, 2805, 34560, 2865}},  // as wide as the desktop
           {{{"Width", "34561"}}, 15, {3015, 2805, 3420, 2865}},   // wider: unusable
           {{{"Width", "0"}}, 15, {3015, 2805, 0, 2865}},          // 0 is applied
           {{{"Top", "-1500"}}, 15, {3015, 0, 3420, 2865}},  // title: outer minus client height
           // 12 twips a row, 15 a column: 780 pixels across, 750 down, so only the top moves (to
           // 501 rows); 12300 twips are taller than the desktop's 1024 rows, not its 1024 columns.
           {{{"Top", "9000"}, {"Left", "11700"}, {"Height", "12300"}},
            12,
            {11700, 6012, 3420, 2865}},
           {{{"Width", "34560"}}, 12, {3015, 2805, 34560, 2865}},  // measured in columns
           {{{"Left", "16000"}}, 12, {11940, 2805, 3420, 2865}},   // moved in by columns
           // No monitor known yet (a screen cast not yet open): nothing to judge a size by.
           {{{"Width", "50000"}, {"Left", "-45000"}}, 15, {-45000, 2805, 50000, 2865}, {}}}) {
    EXPECT_EQ(FrameAfterStart(c.values, c.monitors, c.twipsPerPixelY), c.expected)
        << c.values[0].first << "=" << c.values[0].second;
  }
}

struct BooleanText {
  const char* what;
  const char* text;
  bool checked;
};

class StartupBoolean : public Startup, public ::testing::WithParamInterface<BooleanText> {};

TEST_P(StartupBoolean, EachOfTheFourOptionsReadsTheSameForms) {
  const BooleanText& c = GetParam();
  StoreAll({{"RefreshHigh", c.text},
            {"RefreshAlways", c.text},
            {"OnTop", c.text},
            {"Keep1to1", c.text}});
  world.Start();
  for (const auto item : {MenuItem::menuRefreshHigh, MenuItem::menuRefreshAlways,
                          MenuItem::menuOnTop, MenuItem::menuKeep1to1}) {
    EXPECT_EQ(Checked(item), c.checked) << Definition(item).name;
  }
  EXPECT_EQ(world.form.ZoomFactor, c.checked ? 1 : 2);
  ASSERT_EQ(world.window.windowPosCalls.size(), c.checked ? 1u : 0u);
  if (c.checked) {
    EXPECT_EQ(world.window.windowPosCalls[0].insertAfter, -1);
    EXPECT_EQ(world.window.windowPosCalls[0].flags, 3u);
    EXPECT_FALSE(world.window.windowPosCalls[0].visibleAtCall);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupBoolean,
    ::testing::Values(BooleanText{"True", "True", true}, BooleanText{"TRUE", "TRUE", true},
                      BooleanText{"true", "true", true}, BooleanText{"False", "False", false},
                      BooleanText{"FALSE", "FALSE", false}, BooleanText{"minus one", "-1", true},
                      BooleanText{"zero", "0", false}, BooleanText{"one", "1", true},
                      BooleanText{"fraction", "2.5", true},
                      BooleanText{"yes is rejected", "yes", false},
                      BooleanText{"empty is rejected", "", false}),
    fakes::NameFromWhat());

TEST_F(Startup, AScreenThatChangesIsReadAgainWhenTheShellSaysSo) {
  world.screen.monitors.clear();  // as the Wayland program before its screen cast opens
  world.Start();
  world.screen.leftTwips = -1280 * 15.0;
  world.screen.widthTwips = 4096 * 15.0;
  world.screen.heightTwips = 1536 * 15.0;
  world.screen.topTwips = -300 * 15.0;
  world.screen.wakesOnMotion = true;
  world.Run(0.5);  // the pointer stands still: Timer1 idles
  world.screen.stretches.clear();
  world.form.ScreenChanged();
  EXPECT_EQ(world.form.ScreenLeft, -1280);
  EXPECT_EQ(world.form.ScreenTop, -300);
  EXPECT_EQ(world.form.ScreenWidth, 4096);
  EXPECT_EQ(world.form.ScreenHeight, 1536);
  // The new screen is drawn at the next tick though the pointer stands still and the timer
  // idled (after Share Again the view would stay black until the pointer moved).
  world.Run(0.1);
  EXPECT_EQ(world.screen.stretches.size(), 1u);
}

struct ScreenCase {
  const char* what;
  double widthTwips, heightTwips, twipsPerPixel;
  std::int16_t width, height;
  double leftTwips = 0, topTwips = 0;
  std::int16_t left = 0, top = 0;
  double twipsPerPixelY = 0;  // 0: as twipsPerPixel
};

class StartupScreen : public Startup, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(StartupScreen, ScreenSizeIsTwipsOverTwipsPerPixelRoundedHalfToEvenAndClamped) {
  const ScreenCase& c = GetParam();
  world.screen.widthTwips = c.widthTwips;
  world.screen.heightTwips = c.heightTwips;
  world.screen.twipsPerPixel = c.twipsPerPixel;
  if (c.twipsPerPixelY) world.screen.twipsPerPixelY = c.twipsPerPixelY;
  world.screen.leftTwips = c.leftTwips;
  world.screen.topTwips = c.topTwips;
  world.Start();
  EXPECT_EQ(world.form.ScreenWidth, c.width);
  EXPECT_EQ(world.form.ScreenHeight, c.height);
  EXPECT_EQ(world.form.ScreenLeft, c.left);
  EXPECT_EQ(world.form.ScreenTop, c.top);
  EXPECT_TRUE(world.window.visible);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartupScreen,
    ::testing::Values(ScreenCase{"1024 x 768", 15360, 11520, 15, 1024, 768},
                      ScreenCase{"120 DPI", 15360, 11520, 12, 1280, 960},
                      ScreenCase{"ties to even", 15367.5, 11527.5, 15, 1024, 768},
                      ScreenCase{"ties up to even", 15382.5, 11542.5, 15, 1026, 770},
                      ScreenCase{"beyond 16 bits", 600000, 600000, 15, 32767, 32767},
                      ScreenCase{"a monitor left of and above the primary", 34560, 20520, 15, 2304,
                                 1368, -19200, -9000, -1280, -600},
                      ScreenCase{"each axis its own ratio", 15360, 11520, 15, 1024, 960, -19200,
                                 -9000, -1280, -750, 12}),
    fakes::NameFromWhat());

TEST_F(Startup, CommandLineIsKeptAsTextForFreezeAndLock) {
  world.runtime.commandLine = "5";
  world.Start();
  EXPECT_EQ(world.form.SecondsToWait, "5");
}

}  // namespace
}  // namespace vistrel
