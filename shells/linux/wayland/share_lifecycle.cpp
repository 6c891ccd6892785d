#include "wayland/share_lifecycle.h"

#include <algorithm>
#include <utility>

namespace vistrel::linux_shell::wayland {

void ShareLifecycle::Opened(std::vector<std::string> places) {
  live_ = true;
  lost_.assign(places.size(), false);
  places_ = std::move(places);
  pipewireWent_ = false;
  pending_ = Pending::kNone;
  putOff_.reset();
  ++cast_;
}

ShareLifecycle::Commands ShareLifecycle::MonitorLost(int cast, std::size_t monitor, Ms now) {
  if (cast != cast_ || !live_ || monitor >= lost_.size() || lost_[monitor]) return {};
  lost_[monitor] = true;
  Commands commands{{Command::kDrop, monitor}};
  if (std::all_of(lost_.begin(), lost_.end(), [](bool lost) { return lost; })) {
    Commands ended = Ended(now);
    commands.insert(commands.end(), ended.begin(), ended.end());
    return commands;
  }
  // That monitor is black from now on; the others go on until the user answers.
  commands.push_back({Command::kBlank});
  commands.push_back({Command::kRedraw});
  Settle(commands, now);
  return commands;
}

ShareLifecycle::Commands ShareLifecycle::PipeWireLost(int cast, Ms now) {
  if (cast != cast_) return {};
  // Also after another sign ended the share: PipeWire's end ends the compositor's cast and the
  // portal's session with it, and the broken connection is what tells that end apart.
  pipewireWent_ = true;
  return live_ ? Ended(now) : Commands{};
}

ShareLifecycle::Commands ShareLifecycle::Closed(int cast, Ms now) {
  if (cast != cast_ || !live_) return {};
  return Ended(now);
}

ShareLifecycle::Commands ShareLifecycle::Ended(Ms now) {
  live_ = false;
  // Nothing stale is shown as live: the held pictures go with the streams.
  Commands commands;
  for (std::size_t i = 0; i < lost_.size(); ++i) {
    if (!lost_[i]) commands.push_back({Command::kDrop, i});
  }
  commands.push_back({Command::kBlank});
  Settle(commands, now);
  return commands;
}

void ShareLifecycle::Settle(Commands& commands, Ms now) {
  if (pending_ == Pending::kDecide) return;
  pending_ = Pending::kDecide;
  due_ = now + kEndSettles;
  commands.push_back({Command::kWake, 0, {}, due_});
}

ShareLifecycle::Commands ShareLifecycle::Due(Ms now) {
  if (pending_ == Pending::kNone || now < due_) return {};
  const Pending what = std::exchange(pending_, Pending::kNone);
  if (what == Pending::kReconnect) return {{Command::kReconnect}};
  return Decide(now);
}

ShareLifecycle::Commands ShareLifecycle::Decide(Ms now) {
  Commands commands;
  if (!live_) commands.push_back({Command::kRelease});
  if (pipewireWent_) {
    commands.push_back(
        {Command::kSay, 0, "PipeWire went away; the screen is shared again once it is back."});
    reconnectUntil_ = now + kReconnectFor;
    commands.push_back({Command::kReconnect});
    return commands;
  }
  // Once per end: a question put off (or being asked) waits for the user to come back to the
  // view, and then tells of what is gone by then.
  if (putOff_) {
    putOff_ = Stopped();
  } else if (asking_) {
    question_ = Stopped();
  } else {
    Commands ask = Ask(Stopped());
    commands.insert(commands.end(), ask.begin(), ask.end());
  }
  return commands;
}

std::string ShareLifecycle::Stopped() const {
  std::string lost;
  std::size_t count = 0;
  for (std::size_t i = 0; i < lost_.size() && i < places_.size(); ++i) {
    if (!lost_[i]) continue;
    lost += (count++ ? " and " : "") + places_[i];
  }
  if (!live_ || count == 0) return "The desktop stopped sharing the screen with Vistrel.";
  return "The desktop stopped sharing the " + std::string(count > 1 ? "monitors" : "monitor") +
         " at " + lost + " with Vistrel; the other monitors are still shown.";
}

ShareLifecycle::Commands ShareLifecycle::ReconnectFailed(Failure failure, const std::string& why,
                                                         Ms now) {
  // A refusal is the user's answer, and a portal that does not answer is said at once; anything
  // else may be PipeWire not being back yet.
  if (failure == Failure::kOther && now < reconnectUntil_) {
    pending_ = Pending::kReconnect;
    due_ = now + kReconnectEvery;
    return {{Command::kWake, 0, {}, due_}};
  }
  return Ask("Vistrel lost the screen when PipeWire stopped and could not get it back: " + why);
}

ShareLifecycle::Commands ShareLifecycle::Ask(std::string why) {
  // One box at a time.
  if (asking_) return {};
  asking_ = true;
  askedInCast_ = cast_;
  question_ = why;
  return {{Command::kAsk, 0, std::move(why)}};
}

ShareLifecycle::Commands ShareLifecycle::Answered(ShareAnswer answer) {
  asking_ = false;
  if (answer == ShareAnswer::kEnd) return {{Command::kEnd}};
  // PipeWire came back while the box was up, and the cast with it: nothing is left to answer.
  if (askedInCast_ != cast_) return {};
  if (answer == ShareAnswer::kAgain) return {{Command::kOpen}};
  putOff_ = question_;
  return {};
}

ShareLifecycle::Commands ShareLifecycle::OpenFailed(const std::string& why) {
  return Ask(std::string(kNotShown) + why);
}

std::optional<ShareLifecycle::Commands> ShareLifecycle::CameBack(
    std::optional<std::size_t> onMonitor) {
  if (asking_) return Commands{};
  if (!putOff_) return std::nullopt;
  // The clicks on what is still shown zoom as ever; the black part asks.
  if (live_ && onMonitor && *onMonitor < lost_.size() && !lost_[*onMonitor]) return std::nullopt;
  return Ask(*putOff_);
}

}  // namespace vistrel::linux_shell::wayland
