// The About dialog (labels built at each opening, hiding while topmost, OK, the link, closing by
// the frame) and the Help command (readme.txt beside the program, or the "Info" box).
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeAboutView;
using fakes::FakeWorld;
using fakes::PrintTo;

class About : public ::testing::Test {
 protected:
  void SetUp() override { world.Start(); }
  // Opens the About dialog; `user` is what the user does while it is open.
  void Open(std::function<void(FakeAboutView&)> user) {
    world.about.whileOpen = std::move(user);
    world.journal.clear();
    world.form.MenuClick(MenuItem::menuAbout);
  }
  FakeWorld world;
};

TEST_F(About, LabelsShowTitleVersionAndTheYearReadAtEachOpening) {
  std::vector<std::map<AboutControl, std::string>> seen;
  const auto look = [&](FakeAboutView& view) { seen.push_back(view.labels); };
  Open(look);
  world.clock.year = 2027;  // New Year's Day between two openings
  Open(look);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0][AboutControl::lblprogtitle], "Vistrel");
  EXPECT_EQ(seen[0][AboutControl::lblversion], "Version 1.0.5");
  EXPECT_EQ(seen[0][AboutControl::lblcopyright], "Copyright (c) 2026 Tarnwell software");
  EXPECT_EQ(seen[1][AboutControl::lblcopyright], "Copyright (c) 2027 Tarnwell software");
  EXPECT_EQ(world.about.created, 2);
}

TEST_F(About, WhileTopmostTheWindowHidesAndOkShowsItAgain) {
  world.form.MenuClick(MenuItem::menuOnTop);
  bool visibleWhileOpen = true;
  Open([&](FakeAboutView& view) {
    visibleWhileOpen = world.window.visible;
    view.handlers.cmdok_Click();
  });
  EXPECT_FALSE(visibleWhileOpen);
  EXPECT_EQ(world.journal, (std::vector<std::string>{"Hide", "Show"}));
  EXPECT_TRUE(world.window.visible);
  EXPECT_EQ(world.about.closes, 1);
}

TEST_F(About, OkShowsAWindowHiddenByHideWithoutChangingShowAndHide) {
  world.form.MenuClick(MenuItem::menuHide);
  Open([&](FakeAboutView& view) { view.handlers.cmdok_Click(); });
  EXPECT_TRUE(world.window.visible);
  EXPECT_TRUE(world.form.Menu().Enabled(MenuItem::menuVisible));
  EXPECT_FALSE(world.form.Menu().Enabled(MenuItem::menuHide));
}

TEST_F(About, LinkMinimisesTheWindowAndOpensTheHomepageOwnedByTheDialog) {
  Open([&](FakeAboutView& view) {
    view.handlers.lblurl_MouseMove(0, 0, 5, 5);
    EXPECT_TRUE(view.handPointer);
    view.handlers.lblurl_Click();
  });
  EXPECT_EQ(world.window.state, platform::WindowState::kMinimized);
  EXPECT_EQ(world.launcher.addresses, (std::vector<std::pair<std::uintptr_t, std::string>>{
                                          {0xAB, "https://tarnwell.example/vistrel/"}}));
  EXPECT_EQ(world.about.closes, 1);
  EXPECT_EQ(world.journal, (std::vector<std::string>{"Minimize"}));

  world.TrayNotify(515);  // a minimised window counts as visible
  EXPECT_EQ(world.window.state, platform::WindowState::kMinimized);
  world.form.MenuClick(MenuItem::menuOnTop);
  Open([](FakeAboutView&) {});  // the next About restores it, and hides it when topmost
  EXPECT_EQ(world.journal, (std::vector<std::string>{"Normal", "Hide"}));
}

TEST_F(About, ClosingByTheFrameWhileTopmostLeavesTheWindowHiddenUntilADoubleClick) {
  world.form.MenuClick(MenuItem::menuOnTop);
  Open([](FakeAboutView&) {});
  EXPECT_FALSE(world.window.visible);
  world.TrayNotify(515);
  EXPECT_TRUE(world.window.visible);
}

struct HelpCase {
  const char* what;
  std::string appPath;
  char separator;
  std::string path;              // the help file path that is tested and handed to the viewer
  std::optional<bool> readable;  // nothing: no such file
};

class Help : public ::testing::TestWithParam<HelpCase> {
 protected:
  FakeWorld world;
};

TEST_P(Help, OpensTheReadmeBesideTheProgramOrSaysItIsMissing) {
  const HelpCase& c = GetParam();
  world.runtime.appPath = c.appPath;
  world.runtime.pathSeparator = c.separator;
  if (c.readable) world.runtime.readable[c.path] = *c.readable;
  world.Start();
  world.form.MenuClick(MenuItem::menuHelp);
  if (c.readable.value_or(false)) {
    EXPECT_EQ(world.launcher.textFiles, std::vector<std::string>{c.path});
    EXPECT_TRUE(world.messages.shown.empty());
  } else {
    EXPECT_TRUE(world.launcher.textFiles.empty());
    ASSERT_EQ(world.messages.shown.size(), 1u);
    EXPECT_EQ(world.messages.shown[0].text, "The Vistrel readme.txt seems to be missing...");
    EXPECT_EQ(world.messages.shown[0].title, "Info");
    EXPECT_EQ(world.messages.shown[0].style, 48);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Help,
    ::testing::Values(
        HelpCase{"present, path with spaces", "C:\\Program Files\\Vistrel", '\\',
                 "C:\\Program Files\\Vistrel\\readme.txt", true},
        HelpCase{"drive root doubles the separator", "C:\\", '\\', "C:\\\\readme.txt", true},
        HelpCase{"slash separator", "/opt/vistrel", '/', "/opt/vistrel/readme.txt", true},
        HelpCase{"missing", "C:\\Vistrel", '\\', "C:\\Vistrel\\readme.txt", std::nullopt},
        HelpCase{"a directory", "C:\\Vistrel", '\\', "C:\\Vistrel\\readme.txt", false},
        HelpCase{"unreadable", "/opt/vistrel", '/', "/opt/vistrel/readme.txt", false}),
    fakes::NameFromWhat());

TEST_F(Help, EachUseStartsOneViewer) {
  world.runtime.readable["C:\\Program Files\\Vistrel\\readme.txt"] = true;
  world.Start();
  world.form.MenuClick(MenuItem::menuHelp);
  world.form.MenuClick(MenuItem::menuHelp);
  EXPECT_EQ(world.launcher.textFiles.size(), 2u);
}

TEST_F(Help, ViewerThatCannotStartIsReportedInABox) {
  world.runtime.readable["C:\\Program Files\\Vistrel\\readme.txt"] = true;
  world.launcher.viewerStarts = false;
  world.Start();
  world.form.MenuClick(MenuItem::menuHelp);
  ASSERT_EQ(world.messages.shown.size(), 1u);
  EXPECT_EQ(
      world.messages.shown[0].text,
      "The text viewer could not be started to show\r\nC:\\Program Files\\Vistrel\\readme.txt");
  EXPECT_EQ(world.messages.shown[0].title, "Vistrel");
  EXPECT_EQ(world.messages.shown[0].style, 48);
  world.form.TextViewerFailed(world.launcher.textFiles.at(0));  // later, from the platform
  EXPECT_EQ(world.messages.shown.at(1).text, world.messages.shown[0].text);
}

}  // namespace
}  // namespace vistrel
