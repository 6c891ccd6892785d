// The life of a screen share, from a cast that opens to its end and back. An end shows in
// several ways, in no fixed order: PipeWire's connection breaks, a stream's source goes (its
// node removed, the stream failed), the portal closes the session. The first sign blanks what
// it took at once; what ended the share is decided once the other signs had time to come. Where
// PipeWire went, the cast is asked for again under the kept consent until PipeWire is back;
// otherwise the user is asked, once, and asked again when they come back to a view whose
// question they put off.
//
// No Qt and no PipeWire here: the portal screen turns its callbacks into these events and
// carries out the commands each one returns, in order. Time is the caller's steady clock in
// milliseconds; a cast's events carry the cast's number, so that a late sign of an old cast
// ends nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vistrel::linux_shell::wayland {

// What the user answers when asked to share the screen again; kLater is a box waved away.
enum class ShareAnswer { kAgain, kEnd, kLater };

class ShareLifecycle {
 public:
  using Ms = std::int64_t;

  // How long the signs of one end have to arrive before what ended it is decided.
  static constexpr Ms kEndSettles = 300;
  // While PipeWire is away, the cast is asked for again this often, for this long.
  static constexpr Ms kReconnectEvery = 500;
  static constexpr Ms kReconnectFor = 30'000;

  struct Command {
    enum Kind {
      kDrop,       // let go of monitor's stream: its part of the view shows black
      kBlank,      // show the view without what was dropped, now
      kRedraw,     // the monitors left changed the picture
      kRelease,    // let go of the cast's PipeWire connection and portal session
      kSay,        // text, for the log
      kReconnect,  // open a cast again under the kept consent; say how it went
      kAsk,        // ask the user (text says why); say what they answered
      kOpen,       // open a cast, as the user asked; say how it went
      kEnd,        // end the program
      kWake,       // call Due at `at`
    };
    Command(Kind kind, std::size_t monitor = 0, std::string text = {}, Ms at = 0)
        : kind(kind), monitor(monitor), text(std::move(text)), at(at) {}
    Kind kind;
    std::size_t monitor;
    std::string text;
    Ms at;
  };
  using Commands = std::vector<Command>;

  // How the box and the message of a share that did not open begin.
  static constexpr std::string_view kNotShown = "Vistrel can not show the screen: ";

  // Why a cast did not open.
  enum class Failure { kOther, kRefused, kUnanswered };

  // A cast opened with these monitors (each named by its place, for the user), live from now
  // on; its number, one more than the last, tags its events.
  void Opened(std::vector<std::string> places);
  int Cast() const { return cast_; }
  // Whether the picture is the screen's now: a share that ended is never shown as live.
  bool Live() const { return live_; }

  // The signs of an end.
  Commands MonitorLost(int cast, std::size_t monitor, Ms now);
  Commands PipeWireLost(int cast, Ms now);
  Commands Closed(int cast, Ms now);
  // A wake-up that came due.
  Commands Due(Ms now);
  // A kReconnect that opened nothing (one that did comes as Opened).
  Commands ReconnectFailed(Failure failure, const std::string& why, Ms now);

  // The screen is not shown (why): ask the user, unless a box asks already.
  Commands Ask(std::string why);
  Commands Answered(ShareAnswer answer);
  // A kOpen that opened nothing: ask again, with the reason.
  Commands OpenFailed(const std::string& why);
  // The user came back to the view: a question they put off is asked again. nullopt when there
  // is none, or when they clicked on a monitor that is still shown (onMonitor), and the view
  // may take the click as usual.
  std::optional<Commands> CameBack(std::optional<std::size_t> onMonitor = std::nullopt);

 private:
  Commands Ended(Ms now);
  void Settle(Commands& commands, Ms now);
  Commands Decide(Ms now);
  // What the user is told of an end the desktop made: which monitors it stopped sharing, where
  // others are still shown.
  std::string Stopped() const;

  int cast_ = 0;
  bool live_ = false;
  std::vector<bool> lost_;  // per monitor of this cast
  std::vector<std::string> places_;
  bool pipewireWent_ = false;
  enum class Pending { kNone, kDecide, kReconnect } pending_ = Pending::kNone;
  Ms due_ = 0;
  Ms reconnectUntil_ = 0;
  bool asking_ = false;
  int askedInCast_ = 0;  // a newer cast makes the question moot
  std::string question_;
  std::optional<std::string> putOff_;  // why the screen is not shown, while the user waits
};

}  // namespace vistrel::linux_shell::wayland
