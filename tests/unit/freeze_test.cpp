// Freeze, and Freeze and Lock on the fake clock: the live first second, the hold with Timer1
// stopped, the command-line hold time, the two failure boxes, re-entrant hot keys, and a Pause
// that waits for events instead of spinning.
#include <gtest/gtest.h>

#include <algorithm>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::FakeWorld;
using fakes::PrintTo;
using Switches = std::vector<std::pair<bool, double>>;

class Freeze : public ::testing::Test {
 protected:
  void StartWith(const std::string& commandLine, char separator = '.') {
    world.runtime.commandLine = commandLine;
    world.runtime.decimalSeparator = separator;
    world.Start();
  }
  bool FreezeMark() { return world.form.Menu().Checked(MenuItem::menuFreeze); }
  // Timer1 ticks delivered in (from, to] of the monotonic clock (to within its rounding).
  long TicksBetween(double from, double to) {
    const auto& t = world.timer1.ticks;
    constexpr double e = 1e-6;
    return std::count_if(t.begin(), t.end(),
                         [&](double at) { return at > from + e && at <= to + e; });
  }
  void ExpectSwitches(const Switches& expected) {
    const Switches& got = world.timer1.switches;
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].first, expected[i].first) << i;
      EXPECT_NEAR(got[i].second, expected[i].second, 0.01) << i;
    }
  }
  FakeWorld world;
};

TEST_F(Freeze, ToggleByMenuOrAltSpaceSetsFlagAndMarkTogetherAndForcesNoRedraw) {
  StartWith("");
  world.form.Timer1_Timer();
  for (const auto toggle : {+[](frmMain& f) { f.MenuClick(MenuItem::menuFreeze); },
                            +[](frmMain& f) { f.VBHotKey1_HotKey(); }}) {
    toggle(world.form);
    EXPECT_EQ(world.form.SourceLocked, -1);
    EXPECT_TRUE(FreezeMark());
    toggle(world.form);
    EXPECT_EQ(world.form.SourceLocked, 0);
    EXPECT_FALSE(FreezeMark());
    EXPECT_EQ(world.form.LastCursorX, 512);
  }
}

TEST_F(Freeze, NoArgumentHoldsTenSecondsAfterALiveSecondAndKeeps10) {
  StartWith("");
  world.form.VBHotKey2_HotKey();
  ExpectSwitches({{false, 1.0}, {true, 11.0}});
  EXPECT_EQ(TicksBetween(0, 1.0), 20);  // live, and frozen: every tick draws
  EXPECT_EQ(world.screen.stretches.size(), 20u);
  EXPECT_EQ(TicksBetween(1.0, 11.0), 0);
  EXPECT_EQ(world.form.SecondsToWait, "10");
  EXPECT_EQ(world.form.SourceLocked, -1);
  EXPECT_TRUE(FreezeMark());
  EXPECT_TRUE(world.messages.shown.empty());
  world.Run(0.5);
  EXPECT_EQ(TicksBetween(11.0, 11.5), 10);
}

struct HoldCase {
  const char* what;
  const char* argument;
  char separator;
  double hold;
};

class FreezeHold : public Freeze, public ::testing::WithParamInterface<HoldCase> {};

TEST_P(FreezeHold, HoldsForTheArgumentsSecondsThenShowsTheFrozenLiveView) {
  const HoldCase& c = GetParam();
  StartWith(c.argument, c.separator);
  world.form.MenuClick(MenuItem::menuFreezeAndLock);
  ExpectSwitches({{false, 1.0}, {true, 1.0 + c.hold}});
  EXPECT_EQ(world.form.SecondsToWait, c.argument);
  EXPECT_EQ(world.form.SourceLocked, -1);
  EXPECT_TRUE(FreezeMark());
  EXPECT_TRUE(world.messages.shown.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, FreezeHold,
                         ::testing::Values(HoldCase{"whole", "5", '.', 5},
                                           HoldCase{"fraction with point", "2.5", '.', 2.5},
                                           HoldCase{"fraction with comma", "2,5", ',', 2.5},
                                           HoldCase{"blanks around", " 3 ", '.', 3},
                                           HoldCase{"exponent", "1E1", '.', 10},
                                           HoldCase{"more than a day", "200000", '.', 200000},
                                           HoldCase{"zero", "0", '.', 0},
                                           HoldCase{"negative", "-4", '.', 0}),
                         fakes::NameFromWhat());

TEST_F(Freeze, PauseWaitsForEventsWithADeadlineInsteadOfSpinning) {
  StartWith("10");
  world.pump.deliverTimers = false;  // nothing else happens: each wait runs to its deadline
  world.form.VBHotKey2_HotKey();
  ExpectSwitches({{false, 1.0}, {true, 11.0}});
  EXPECT_LE(world.pump.waits, 4);
}

TEST_F(Freeze, PauseHandlesEveryEventWhileItWaitsAndReturnsAtTheDeadline) {
  StartWith("");
  int clicks = 0;
  const auto click = [&] {
    ++clicks;
    world.form.Form_MouseDown(1, 0, 0, 0);
  };
  world.pump.After(0.3, click);
  world.pump.After(0.6, click);
  world.form.Pause(2.5f);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(world.form.ZoomFactor, 4);
  EXPECT_NEAR(world.clock.monotonic, 2.5, 0.01);
  EXPECT_EQ(world.timer1.ticks.size(), 50u);
}

struct NonNumber {
  const char* what;
  const char* argument;
  char separator;
};

class FreezeNonNumber : public Freeze, public ::testing::WithParamInterface<NonNumber> {};

TEST_P(FreezeNonNumber, OopsBoxThenTheNormalCloseKeepsThisRunsSettings) {
  StartWith(GetParam().argument, GetParam().separator);
  world.form.MenuClick(MenuItem::menuKeep1to1);
  world.journal.clear();
  EXPECT_TRUE(world.Ends([&] { world.form.VBHotKey2_HotKey(); }));
  ASSERT_EQ(world.messages.shown.size(), 1u);
  const auto& box = world.messages.shown[0];
  EXPECT_EQ(box.text,
            "The optional command value must be nummeric (see the Vistrel readme.txt at "
            "COMMANDS).\r\nVistrel will quit now...");
  EXPECT_EQ(box.title, "Oops...");
  EXPECT_EQ(box.style, 48);
  std::vector<std::string> effects;
  for (const auto& e : world.journal) {
    if (e.rfind("box", 0) == 0 || e.rfind("tray", 0) == 0 || e.rfind("set ", 0) == 0 ||
        e.rfind("hotkeys", 0) == 0 || e == "end") {
      effects.push_back(e);
    }
  }
  EXPECT_EQ(effects,
            (std::vector<std::string>{"box Oops...", "tray delete", "set Top=2805", "set Left=3015",
                                      "set Height=2865", "set Width=3420", "set RefreshHigh=False",
                                      "set RefreshAlways=False", "set Keep1to1=True",
                                      "set OnTop=False", "hotkeys shutdown", "end"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, FreezeNonNumber,
                         ::testing::Values(NonNumber{"word", "abc", '.'},
                                           NonNumber{"NaN", "NaN", '.'},
                                           NonNumber{"point in a comma locale", "2.5", ','},
                                           NonNumber{"two numbers", "5 6", '.'}),
                         fakes::NameFromWhat());

TEST_F(Freeze, TooLargeForSingleShowsTheErrorReportWithTimer1RunningAgain) {
  StartWith("1E+40");
  bool timerRanAtTheBox = false;
  double boxAt = 0;
  world.messages.onShow = [&](const platform::MessageBoxRequest&) {
    timerRanAtTheBox = world.timer1.Enabled();
    boxAt = world.clock.monotonic;
  };
  EXPECT_FALSE(world.Ends([&] { world.form.VBHotKey2_HotKey(); }));
  ASSERT_EQ(world.messages.shown.size(), 1u);
  const auto& box = world.messages.shown[0];
  EXPECT_EQ(box.text,
            "An Error was generated:\r\n\r\nDescription:\r\nError 6 - Overflow\r\n"
            "menuFreezeAndLock_Click\r\n\r\nPlease inform the author with the error description "
            "above.");
  EXPECT_EQ(box.title, "Error");
  EXPECT_EQ(box.style, 0);
  EXPECT_TRUE(timerRanAtTheBox);
  EXPECT_NEAR(boxAt, 1.0, 0.01);  // after the live second
  EXPECT_EQ(world.form.SourceLocked, -1);
  EXPECT_FALSE(FreezeMark());
  const double after = world.clock.monotonic;
  world.Run(1.0);
  EXPECT_EQ(TicksBetween(after, after + 1.0), 20);
}

TEST_F(Freeze, AltVDuringTheHoldRunsASecondSequenceThatEndsTheHoldLater) {
  StartWith("10");
  world.pump.After(4.0, [&] { world.form.VBHotKey2_HotKey(); });
  world.form.VBHotKey2_HotKey();
  ExpectSwitches({{false, 1.0}, {true, 15.0}});
  EXPECT_EQ(TicksBetween(1.0, 15.0), 0);
  EXPECT_NEAR(world.clock.monotonic, 15.0, 0.01);  // the first wait was already over
  EXPECT_TRUE(FreezeMark());
}

TEST_F(Freeze, AltVDuringTheLiveSecondStopsThePictureTwice) {
  StartWith("10");
  world.pump.After(0.5, [&] { world.form.VBHotKey2_HotKey(); });
  world.form.VBHotKey2_HotKey();
  ExpectSwitches({{false, 1.5}, {true, 11.5}, {false, 11.5}, {true, 21.5}});
}

TEST_F(Freeze, AltSpaceDuringTheHoldUnfreezesButThePictureStaysStillUntilTheEnd) {
  StartWith("10");
  std::pair<std::int16_t, bool> duringHold{};
  world.pump.After(4.0, [&] {
    world.form.VBHotKey1_HotKey();
    duringHold = {world.form.SourceLocked, FreezeMark()};
  });
  world.form.VBHotKey2_HotKey();
  EXPECT_EQ(duringHold, (std::pair<std::int16_t, bool>{0, false}));
  EXPECT_EQ(TicksBetween(1.0, 11.0), 0);
  EXPECT_EQ(world.form.SourceLocked, 0);  // following the cursor, with the mark set
  EXPECT_TRUE(FreezeMark());
  world.form.VBHotKey1_HotKey();
  EXPECT_EQ(world.form.SourceLocked, -1);
  EXPECT_TRUE(FreezeMark());
}

TEST_F(Freeze, ExitDuringAWaitSavesAndEndsAtOnce) {
  StartWith("10");
  world.pump.After(3.0, [&] { world.form.MenuClick(MenuItem::menuExit); });
  EXPECT_TRUE(world.Ends([&] { world.form.VBHotKey2_HotKey(); }));
  EXPECT_NEAR(world.clock.monotonic, 3.0, 0.01);
  EXPECT_EQ(world.Stored().size(), 8u);
  EXPECT_EQ(world.tray.calls.back().message, kNimDelete);
}

}  // namespace
}  // namespace vistrel
