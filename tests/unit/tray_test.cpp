// The tray icon: its record, the notification dispatch with the busy flag, Show, Hide, Exit,
// Always on Top, the re-add after a tray host restart, and the report of an unhandled failure.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <new>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;

class Tray : public ::testing::Test {
 protected:
  void SetUp() override { world.Start(); }
  bool ShowEnabled() { return world.form.Menu().Enabled(MenuItem::menuVisible); }
  bool HideEnabled() { return world.form.Menu().Enabled(MenuItem::menuHide); }
  int Shows() {
    return static_cast<int>(std::count(world.window.log.begin(), world.window.log.end(), "Show"));
  }
  FakeWorld world;
};

void ExpectStartRecord(const TrayIconRecord& r, std::uintptr_t pichook) {
  EXPECT_EQ(r.cbSize, 88u);
  EXPECT_EQ(r.hWnd, pichook);
  EXPECT_EQ(r.uID, 1u);
  EXPECT_EQ(r.uFlags, 7u);
  EXPECT_EQ(r.uCallbackMessage, 512u);
  EXPECT_EQ(r.hIcon, 0x5678u);
  const std::string tip(r.szTip.begin(), r.szTip.end());
  EXPECT_EQ(tip, std::string("Vistrel 1.05") + '\0' + std::string(64 - 13, ' '));
}

TEST_F(Tray, StartAddsTheRecordWithItsTipThenNulThenSpaces) {
  ASSERT_EQ(world.tray.calls.size(), 1u);
  EXPECT_EQ(world.tray.calls[0].message, kNimAdd);
  ExpectStartRecord(world.tray.calls[0].record, 0x1234);
}

TEST_F(Tray, CloseDeletesTheIconNamingThePichookWindowOfThatMoment) {
  world.window.pichookHandle = 0x9999;
  EXPECT_TRUE(world.Ends([&] { world.form.MenuClick(MenuItem::menuExit); }));
  ASSERT_EQ(world.tray.calls.size(), 2u);
  EXPECT_EQ(world.tray.calls[1].message, kNimDelete);
  ExpectStartRecord(world.tray.calls[1].record, 0x9999);
}

TEST_F(Tray, ATrayHostRestartAddsTheSameRecordAgainAndKeepsTheWindowHidden) {
  world.form.MenuClick(MenuItem::menuHide);
  world.form.ReAddTrayIcon();
  ASSERT_EQ(world.tray.calls.size(), 2u);
  EXPECT_EQ(world.tray.calls[1].message, kNimAdd);
  ExpectStartRecord(world.tray.calls[1].record, 0x1234);
  EXPECT_FALSE(world.window.visible);
}

TEST(TrayBeforeStart, ATrayHostRestartBeforeStartUpAddsNothing) {
  FakeWorld world;
  world.form.ReAddTrayIcon();
  EXPECT_TRUE(world.tray.calls.empty());
}

TEST_F(Tray, PopupOffersEighteenItemsInOrderAllEnabledAndUncheckedAsCreated) {
  std::vector<std::string_view> captions;
  for (const auto& item : menuProject.submenu) captions.push_back(item.caption);
  EXPECT_EQ(captions,
            (std::vector<std::string_view>{
                "&Show", "Hi&de", "-", "Zoom &In", "Zoom &Out", "Keep 1/1 (No Zooming)", "-",
                "Refresh High", "Refresh Always", "Freeze (press Alt + Spacebar to toggle)",
                "Freeze and Lock (press Alt + v to toggle)", "-", "Always on &Top", "-", "&Help",
                "&About", "-", "E&xit"}));
  const MenuState created;
  for (const auto& item : menuProject.submenu) {
    EXPECT_TRUE(created.Enabled(item.item)) << item.name;
    EXPECT_FALSE(created.Checked(item.item)) << item.name;
  }
  world.journal.clear();
  for (const auto separator : {MenuItem::menuSeperator1, MenuItem::menuSeperator5}) {
    world.form.MenuClick(separator);  // a separator has no handler
  }
  EXPECT_TRUE(world.journal.empty());
}

// What a command leaves that another command's handler would change as well.
std::string Effects(FakeWorld& w) {
  std::string effects = w.window.visible ? "" : "hidden ";
  if (w.form.ZoomFactor != 2) effects += "zoom " + std::to_string(w.form.ZoomFactor) + " ";
  for (const auto& item : menuProject.submenu) {
    if (w.form.Menu().Checked(item.item)) effects += std::string(item.name) + " ";
  }
  if (w.window.topmost) effects += "topmost ";
  if (!w.messages.shown.empty() || !w.launcher.textFiles.empty()) effects += "help ";
  if (w.about.created) effects += "about ";
  return effects;
}

TEST(TrayMenu, EachCommandRunsItsOwnHandlerOnly) {
  const std::pair<MenuItem, const char*> cases[] = {
      {MenuItem::menuVisible, ""},
      {MenuItem::menuHide, "hidden "},
      {MenuItem::menuZoomIN, "zoom 3 "},
      {MenuItem::menuZoomOUT, "zoom 1 "},
      {MenuItem::menuKeep1to1, "zoom 1 menuKeep1to1 "},
      {MenuItem::menuRefreshHigh, "menuRefreshHigh "},
      {MenuItem::menuRefreshAlways, "menuRefreshAlways "},
      {MenuItem::menuFreeze, "menuFreeze "},
      {MenuItem::menuFreezeAndLock, "menuFreeze "},
      {MenuItem::menuOnTop, "menuOnTop topmost "},
      {MenuItem::menuHelp, "help "},
      {MenuItem::menuAbout, "about "}};
  for (const auto& [item, effects] : cases) {
    FakeWorld world;
    world.Start();
    world.form.MenuClick(item);
    EXPECT_EQ(Effects(world), effects) << Definition(item).name;
  }
}

TEST_F(Tray, ShowAndHideKeepTheirEnabledStatesOppositeAndInStepWithTheWindow) {
  EXPECT_TRUE(world.window.visible);
  EXPECT_FALSE(ShowEnabled());
  EXPECT_TRUE(HideEnabled());
  world.form.MenuClick(MenuItem::menuHide);
  EXPECT_FALSE(world.window.visible);
  EXPECT_TRUE(ShowEnabled());
  EXPECT_FALSE(HideEnabled());
  world.form.MenuClick(MenuItem::menuVisible);
  EXPECT_TRUE(world.window.visible);
  EXPECT_FALSE(ShowEnabled());
  EXPECT_TRUE(HideEnabled());
}

struct Notification {
  const char* what;
  std::int32_t message;
  bool shows;
  bool opensMenu;
};

class TrayDispatch : public Tray, public ::testing::WithParamInterface<Notification> {};

TEST_P(TrayDispatch, LeftDoubleClickShowsRightReleaseOpensTheMenuOthersDoNothing) {
  const Notification& c = GetParam();
  world.form.MenuClick(MenuItem::menuHide);
  world.TrayNotify(c.message);
  EXPECT_EQ(world.window.visible, c.shows);
  EXPECT_EQ(ShowEnabled(), !c.shows);
  EXPECT_EQ(world.window.popups, c.opensMenu ? 1 : 0);
  EXPECT_FALSE(world.form.TrayEventBusy);
}

INSTANTIATE_TEST_SUITE_P(Cases, TrayDispatch,
                         ::testing::Values(Notification{"move", 512, false, false},
                                           Notification{"left down", 513, false, false},
                                           Notification{"left up", 514, false, false},
                                           Notification{"left double click", 515, true, false},
                                           Notification{"right down", 516, false, false},
                                           Notification{"right up", 517, false, true},
                                           Notification{"right double click", 518, false, false},
                                           Notification{"unknown", 1024, false, false}),
                         fakes::NameFromWhat());

TEST_F(Tray, MessageNumberIsTheTwipsOverTheTwipsPerPixelRounded) {
  world.form.MenuClick(MenuItem::menuHide);
  world.screen.twipsPerPixel = 12;  // the horizontal ratio; the vertical one would give 412
  world.screen.twipsPerPixelY = 15;
  world.form.pichook_MouseMove(0, 0, 515 * 12 + 5, 0);  // 515.42 -> 515
  EXPECT_TRUE(world.window.visible);
}

TEST_F(Tray, DoubleClickOnAVisibleOrMinimisedWindowChangesNothing) {
  for (const auto state : {platform::WindowState::kNormal, platform::WindowState::kMinimized}) {
    world.window.state = state;
    const int shows = Shows();
    world.TrayNotify(515);
    EXPECT_EQ(Shows(), shows);
    EXPECT_EQ(world.window.state, state);
    EXPECT_FALSE(ShowEnabled());
    EXPECT_TRUE(HideEnabled());
  }
}

TEST_F(Tray, MenuShowsTheLiveMarksAndRunsTheChosenCommandAfterItCloses) {
  world.form.Menu().SetChecked(MenuItem::menuOnTop, true);
  bool busyWhileOpen = false, showEnabledInMenu = true, onTopInMenu = false;
  world.window.onPopup = [&](const MenuState& menu) -> std::optional<MenuItem> {
    busyWhileOpen = world.form.TrayEventBusy;
    showEnabledInMenu = menu.Enabled(MenuItem::menuVisible);
    onTopInMenu = menu.Checked(MenuItem::menuOnTop);
    EXPECT_EQ(world.form.ZoomFactor, 2);
    return MenuItem::menuZoomIN;
  };
  world.TrayNotify(517);
  EXPECT_TRUE(busyWhileOpen);
  EXPECT_FALSE(showEnabledInMenu);
  EXPECT_TRUE(onTopInMenu);
  EXPECT_EQ(world.form.ZoomFactor, 3);
  EXPECT_FALSE(world.form.TrayEventBusy);
}

TEST_F(Tray, NotificationsWhileTheMenuIsOpenAreIgnored) {
  world.form.MenuClick(MenuItem::menuHide);
  world.window.onPopup = [&](const MenuState&) -> std::optional<MenuItem> {
    world.TrayNotify(517);
    world.TrayNotify(515);
    return std::nullopt;
  };
  world.TrayNotify(517);
  EXPECT_EQ(world.window.popups, 1);
  EXPECT_FALSE(world.window.visible);
}

TEST_F(Tray, NotificationsWhileAChosenFreezeAndLockWaitsAreIgnored) {
  world.form.MenuClick(MenuItem::menuHide);
  world.window.onPopup = [&](const MenuState&) -> std::optional<MenuItem> {
    return world.window.popups == 1 ? std::optional(MenuItem::menuFreezeAndLock) : std::nullopt;
  };
  world.pump.After(3.0, [&] { world.TrayNotify(517); });
  world.pump.After(4.0, [&] { world.TrayNotify(515); });
  world.TrayNotify(517);
  EXPECT_EQ(world.window.popups, 1);
  EXPECT_FALSE(world.window.visible);
  EXPECT_NEAR(world.clock.monotonic, 11.0, 0.01);
  world.TrayNotify(517);  // once the command has finished the menu opens again
  EXPECT_EQ(world.window.popups, 2);
}

TEST_F(Tray, HideThenExitSavesTheHiddenWindowsPlaceRemovesTheIconAndEnds) {
  world.window.left = -300;
  world.form.MenuClick(MenuItem::menuHide);
  EXPECT_TRUE(world.Ends([&] { world.form.MenuClick(MenuItem::menuExit); }));
  EXPECT_EQ(world.Stored()["Left"], "-300");
  EXPECT_EQ(world.tray.calls.back().message, kNimDelete);
}

TEST_F(Tray, AlwaysOnTopTwiceGoesBackToTheNormalOrderWithoutMovingTheWindow) {
  world.form.MenuClick(MenuItem::menuOnTop);
  EXPECT_TRUE(world.form.Menu().Checked(MenuItem::menuOnTop));
  EXPECT_TRUE(world.window.topmost);
  world.form.MenuClick(MenuItem::menuOnTop);
  EXPECT_FALSE(world.form.Menu().Checked(MenuItem::menuOnTop));
  EXPECT_FALSE(world.window.topmost);
  ASSERT_EQ(world.window.windowPosCalls.size(), 2u);
  EXPECT_EQ(world.window.windowPosCalls[0].insertAfter, -1);
  EXPECT_EQ(world.window.windowPosCalls[1].insertAfter, -2);
  for (const auto& call : world.window.windowPosCalls) EXPECT_EQ(call.flags, 3u);
  EXPECT_EQ(world.window.left, 3015);
  EXPECT_EQ(world.window.width, 3420);
}

TEST_F(Tray, AlwaysOnTopWhileHiddenDoesNotShowTheWindow) {
  world.form.MenuClick(MenuItem::menuHide);
  world.form.MenuClick(MenuItem::menuOnTop);
  EXPECT_TRUE(world.window.topmost);
  EXPECT_FALSE(world.window.visible);
  EXPECT_TRUE(world.form.Menu().Checked(MenuItem::menuOnTop));
}

struct Unhandled {
  const char* what;
  std::function<void(frmMain&)> handler;
  const char* text;
};

class DispatchReport : public Tray, public ::testing::WithParamInterface<Unhandled> {};

TEST_P(DispatchReport, AFailureNothingHandledIsReportedAndTheProgramEnds) {
  const Unhandled& c = GetParam();
  EXPECT_TRUE(world.Ends([&] { world.form.Dispatch([&] { c.handler(world.form); }); }));
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_EQ(world.messages.shown[0].text, c.text);
  EXPECT_EQ(world.messages.shown[0].title, "Vistrel");
  EXPECT_EQ(world.messages.shown[0].style, 16);
  EXPECT_EQ(world.journal.back(), "end");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DispatchReport,
    ::testing::Values(Unhandled{"tray message beyond 32 bits",
                                [](frmMain& f) { f.pichook_MouseMove(0, 0, 1e30f, 0); },
                                "Run-time error '6':\r\n\r\nOverflow"},
                      Unhandled{"out of memory", [](frmMain&) { throw std::bad_alloc(); },
                                "Run-time error '7':\r\n\r\nOut of memory"}),
    fakes::NameFromWhat());

}  // namespace
}  // namespace vistrel
