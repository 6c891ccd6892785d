// Closing the main window in any way: tray icon removed, the eight settings written in their
// order and text forms, the hot keys released, the program ended.
#include <gtest/gtest.h>

#include <functional>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;

std::vector<std::string> Writes(const FakeWorld& world) {
  std::vector<std::string> writes;
  for (const auto& e : world.registry.log) {
    if (e.rfind("set ", 0) == 0) writes.push_back(e.substr(4));
  }
  return writes;
}

struct ClosePath {
  const char* what;
  std::function<void(frmMain&)> close;
};

class Shutdown : public ::testing::TestWithParam<ClosePath> {
 protected:
  void SetUp() override { world.Start(); }
  void Close() {
    EXPECT_TRUE(world.Ends([&] { world.form.Unload(UnloadMode::kFormControlMenu); }));
  }
  FakeWorld world;
};

TEST_P(Shutdown, EveryCloseRemovesTheIconWritesAllEightReleasesTheKeysAndEnds) {
  world.journal.clear();
  EXPECT_TRUE(world.Ends([&] { GetParam().close(world.form); }));
  std::vector<std::string> effects;
  for (const auto& e : world.journal) {
    if (e.rfind("open", 0) != 0 && e != "close") effects.push_back(e);
  }
  EXPECT_EQ(effects, (std::vector<std::string>{
                         "tray delete", "set Top=2805", "set Left=3015", "set Height=2865",
                         "set Width=3420", "set RefreshHigh=False", "set RefreshAlways=False",
                         "set Keep1to1=False", "set OnTop=False", "hotkeys shutdown", "end"}));
  EXPECT_TRUE(world.registry.open.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Shutdown,
    ::testing::Values(
        ClosePath{"exit command", [](frmMain& f) { f.MenuClick(MenuItem::menuExit); }},
        ClosePath{"close button", [](frmMain& f) { f.Unload(UnloadMode::kFormControlMenu); }},
        ClosePath{"end of session", [](frmMain& f) { f.Unload(UnloadMode::kAppWindows); }}),
    fakes::NameFromWhat());

TEST_F(Shutdown, WritesTheWindowsPlaceAndTheMarksAsTextInTheirOrder) {
  world.window.left = 2880;
  world.window.top = 1440;
  world.window.width = 3420;
  world.window.height = 2910;
  world.form.MenuClick(MenuItem::menuOnTop);
  Close();
  EXPECT_EQ(Writes(world),
            (std::vector<std::string>{"Top=1440", "Left=2880", "Height=2910", "Width=3420",
                                      "RefreshHigh=False", "RefreshAlways=False", "Keep1to1=False",
                                      "OnTop=True"}));
}

TEST_F(Shutdown, CheckedOptionsAreWrittenTrue) {
  world.form.MenuClick(MenuItem::menuKeep1to1);
  world.form.MenuClick(MenuItem::menuOnTop);
  world.form.MenuClick(MenuItem::menuRefreshHigh);
  Close();
  EXPECT_EQ(world.Stored()["Keep1to1"], "True");
  EXPECT_EQ(world.Stored()["OnTop"], "True");
  EXPECT_EQ(world.Stored()["RefreshHigh"], "True");
  EXPECT_EQ(world.Stored()["RefreshAlways"], "False");
}

TEST_F(Shutdown, NegativeAndFractionalTwipsAreWrittenInTheUsersNotationAndComeBack) {
  world.runtime.decimalSeparator = ',';
  world.window.left = -300;
  world.window.top = 1440.5f;
  world.form.MenuClick(MenuItem::menuRefreshAlways);
  Close();
  EXPECT_EQ(world.Stored()["Left"], "-300");
  EXPECT_EQ(world.Stored()["Top"], "1440,5");

  FakeWorld next;
  next.runtime.decimalSeparator = ',';
  next.registry.keys = world.registry.keys;
  next.Start();
  EXPECT_EQ(next.window.left, -300);
  EXPECT_EQ(next.window.top, 1440.5f);
  EXPECT_TRUE(next.form.Menu().Checked(MenuItem::menuRefreshAlways));
}

TEST_F(Shutdown, DeletedKeyStoresNothingButTheIconGoesAndTheProgramEnds) {
  world.registry.keys.erase(FakeWorld::kSettingsKey);
  Close();
  EXPECT_EQ(world.registry.keys.count(FakeWorld::kSettingsKey), 0u);
  EXPECT_TRUE(Writes(world).empty());
  EXPECT_EQ(world.tray.calls.back().message, kNimDelete);
  EXPECT_EQ(world.hotkeys.shutdowns, 1);
  EXPECT_TRUE(world.messages.shown.empty());

  FakeWorld next;  // the next start creates the key again and finds no values
  next.registry.keys = world.registry.keys;
  next.Start();
  EXPECT_EQ(next.registry.keys.count(FakeWorld::kSettingsKey), 1u);
  EXPECT_EQ(next.window.left, 3015);
}

TEST_F(Shutdown, TerminateOnlyReleasesTheHotKeys) {
  world.journal.clear();
  world.form.Form_Terminate();
  EXPECT_EQ(world.journal, (std::vector<std::string>{"hotkeys shutdown"}));
}

TEST_F(Shutdown, QueryUnloadNeverCancels) {
  std::int16_t cancel = 0;
  EXPECT_FALSE(world.Ends([&] { world.form.Form_QueryUnload(cancel, UnloadMode::kAppWindows); }));
  EXPECT_EQ(Writes(world).size(), 8u);
  EXPECT_EQ(world.hotkeys.shutdowns, 0);
  cancel = -1;  // even a close some handler asked to cancel goes on
  EXPECT_TRUE(world.Ends([&] { world.form.Form_Unload(cancel); }));
  EXPECT_EQ(world.hotkeys.shutdowns, 1);
}

}  // namespace
}  // namespace vistrel
