// The orders in which a share's end, the box's answers and the attempts to get the screen back
// can come, each row one story: the events in, and what the program is told to do after each
// (" | " between events, "-" for nothing).
#include "wayland/share_lifecycle.h"

#include <gtest/gtest.h>

#include <functional>

namespace vistrel::linux_shell::wayland {
namespace {

using Life = ShareLifecycle;
using Event = std::function<Life::Commands(Life&)>;
constexpr Life::Failure kOther = Life::Failure::kOther;

// Events of the cast open now (or, with old, of the one before it), at a time in ms; its
// monitors are named m0, m1, ...
Event Open(std::size_t monitors) {
  return [=](Life& l) {
    std::vector<std::string> places;
    for (std::size_t i = 0; i < monitors; ++i) places.push_back("m" + std::to_string(i));
    l.Opened(places);
    return Life::Commands{};
  };
}
Event Lost(std::size_t m, Life::Ms t, int old = 0) {
  return [=](Life& l) { return l.MonitorLost(l.Cast() - old, m, t); };
}
Event PwLost(Life::Ms t, int old = 0) {
  return [=](Life& l) { return l.PipeWireLost(l.Cast() - old, t); };
}
Event Closed(Life::Ms t, int old = 0) {
  return [=](Life& l) { return l.Closed(l.Cast() - old, t); };
}
Event Due(Life::Ms t) {
  return [=](Life& l) { return l.Due(t); };
}
Event Answer(ShareAnswer a) {
  return [=](Life& l) { return l.Answered(a); };
}
Event Retry(Life::Failure f, Life::Ms t) {
  return [=](Life& l) { return l.ReconnectFailed(f, "no", t); };
}
Event OpenFails() {
  return [](Life& l) { return l.OpenFailed("no"); };
}
// A click on a monitor's part of the view, or the window shown (nullopt).
Event Back(std::optional<std::size_t> on = std::nullopt) {
  return [=](Life& l) {
    const std::optional<Life::Commands> c = l.CameBack(on);
    return c ? *c : Life::Commands{{Life::Command::kSay, 0, "not taken"}};
  };
}

std::string Trace(const Life::Commands& commands) {
  if (commands.empty()) return "-";
  std::string out;
  // In the order of Command::Kind.
  static const char* const kNames[] = {"drop ",     "blank", "redraw", "release", "say",
                                       "reconnect", "ask ",  "open",   "end",     "wake "};
  for (const Life::Command& c : commands) {
    out += (out.empty() ? "" : ", ") + std::string(kNames[c.kind]);
    if (c.kind == Life::Command::kDrop) out += std::to_string(c.monitor);
    if (c.kind == Life::Command::kWake) out += std::to_string(c.at);
    if (c.kind == Life::Command::kSay && c.text == "not taken") out = c.text;
    if (c.kind == Life::Command::kAsk) {
      const std::size_t at = c.text.find(" at "), with = c.text.find(" with ");
      out += c.text.starts_with("The desktop stopped sharing the monitor")
                 ? "stopped " + c.text.substr(at + 4, with - at - 4)
             : c.text.starts_with("The desktop stopped")     ? "stopped"
             : c.text.starts_with("Vistrel lost the screen") ? "pipewire"
             : c.text.starts_with("Vistrel can not show")    ? "failed"
                                                             : c.text;
    }
  }
  return out;
}

TEST(ShareLifecycle, EndsOfAShareInTheOrdersTheyCome) {
  using enum ShareAnswer;
  struct Row {
    const char* story;
    std::vector<Event> events;
    std::string trace;
  };
  const Row rows[] = {
      {"PipeWire restarts: the connection, then the portal and a stream; back by itself",
       {Open(2), PwLost(0), Closed(5), Lost(1, 9), Due(299), Due(300), Open(2), Closed(900),
        Due(1200)},
       "- | drop 0, drop 1, blank, wake 300 | - | - | - | release, say, reconnect | - | "
       "drop 0, drop 1, blank, wake 1200 | release, ask stopped"},
      {"the portal closes first, PipeWire's end comes after: still a restart",
       {Open(1), Closed(0), PwLost(50), Due(300)},
       "- | drop 0, blank, wake 300 | - | release, say, reconnect"},
      {"PipeWire not back yet: tried every half second for 30 s, then the user is asked",
       {Open(1), PwLost(0), Due(300), Retry(kOther, 300), Due(800), Retry(kOther, 30299),
        Due(30799), Retry(kOther, 30300)},
       "- | drop 0, blank, wake 300 | release, say, reconnect | wake 800 | reconnect | wake 30799 "
       "| reconnect | ask pipewire"},
      {"a refusal while reconnecting is asked at once",
       {Open(1), PwLost(0), Due(300), Retry(Life::Failure::kRefused, 300)},
       "- | drop 0, blank, wake 300 | release, say, reconnect | ask pipewire"},
      {"the desktop stops sharing: black, released and asked once; Share Again opens",
       {Open(1), Closed(0), Closed(1), Lost(0, 2), Due(300), Answer(kAgain), Open(1)},
       "- | drop 0, blank, wake 300 | - | - | release, ask stopped | open | -"},
      {"one monitor of two loses its source: black there, the other goes on, asked once, "
       "named; put off, a click on the live one zooms and one on the black one asks",
       {Open(2), Lost(0, 0), Lost(0, 1), Due(300), Answer(kLater), Back(1), Back(0)},
       "- | drop 0, blank, redraw, wake 300 | - | ask stopped m0 | - | not taken | ask stopped m0"},
      {"a Later, then Share Again: the new cast's view takes its clicks as ever",
       {Open(1), Closed(0), Due(300), Answer(kLater), Back(0), Answer(kAgain), Open(1), Back(0)},
       "- | drop 0, blank, wake 300 | release, ask stopped | - | ask stopped | open | - | "
       "not taken"},
      {"both monitors' sources go one after the other: one end",
       {Open(2), Lost(1, 0), Lost(0, 100), Due(300)},
       "- | drop 1, blank, redraw, wake 300 | drop 0, blank | release, ask stopped"},
      {"a Closed after a source went: the same end, asked once",
       {Open(2), Lost(0, 0), Closed(200), Due(300), Due(500)},
       "- | drop 0, blank, redraw, wake 300 | drop 1, blank | release, ask stopped | -"},
      {"put off: asked again only when the user comes back, and not by a later end",
       {Open(2), Lost(0, 0), Due(300), Answer(kLater), Closed(400), Due(700), Back(), Back(),
        Answer(kEnd)},
       "- | drop 0, blank, redraw, wake 300 | ask stopped m0 | - | drop 1, blank, wake 700 | "
       "release | ask stopped | - | end"},
      {"a cast opened while an end was being settled: nothing left to decide",
       {Open(2), Lost(0, 0), Open(2), Due(300)},
       "- | drop 0, blank, redraw, wake 300 | - | -"},
      {"coming back to a view nobody asked about is a click like any other",
       {Open(1), Back()},
       "- | not taken"},
      {"Share Again that fails asks again with the reason, until it opens",
       {Open(1), Closed(0), Due(300), Answer(kAgain), OpenFails(), Answer(kAgain), Open(1)},
       "- | drop 0, blank, wake 300 | release, ask stopped | open | ask failed | open | -"},
      {"PipeWire restarts while the box is up: back by itself, the late answer is moot",
       {Open(2), Lost(0, 0), Due(300), PwLost(310), Due(610), Open(2), Answer(kLater), Back()},
       "- | drop 0, blank, redraw, wake 300 | ask stopped m0 | drop 1, blank, wake 610 | release, "
       "say, reconnect | - | - | not taken"},
      {"an old cast's late signs end nothing",
       {Open(1), Open(1), Closed(0, 1), PwLost(0, 1), Lost(0, 0, 1), Due(300)},
       "- | - | - | - | - | -"},
  };
  for (const Row& row : rows) {
    Life life;
    std::string trace;
    for (std::size_t i = 0; i < row.events.size(); ++i) {
      trace += (i ? " | " : "") + Trace(row.events[i](life));
    }
    EXPECT_EQ(trace, row.trace) << row.story;
  }
}

TEST(ShareLifecycle, LiveOnlyWhileEveryEndIsAhead) {
  Life life;
  EXPECT_FALSE(life.Live());
  life.Opened({"a", "b"});
  life.MonitorLost(life.Cast(), 0, 0);
  EXPECT_TRUE(life.Live()) << "the other monitor still shows the screen";
  life.MonitorLost(life.Cast(), 1, 0);
  EXPECT_FALSE(life.Live());
  life.Opened({"a"});
  EXPECT_TRUE(life.Live());
  EXPECT_EQ(life.Ask("first").front().text, "first");
  EXPECT_TRUE(life.Ask("second").empty()) << "one box at a time";
}

}  // namespace
}  // namespace vistrel::linux_shell::wayland
