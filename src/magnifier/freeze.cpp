// Freeze (hold the source rectangle, keep it live) and Freeze and Lock (also hold the picture
// still for the command-line number of seconds), and Pause, the wait that keeps the program
// responsive: handlers, including Freeze and Lock itself, run inside it.
#include <algorithm>
#include <utility>

#include "app/frm_main.h"
#include "app/numeric.h"
#include "app/startup_messages.h"
#include "settings/text_forms.h"

namespace vistrel {
namespace {
constexpr double kSecondsPerDay = 86400.0;
constexpr double kLongestWait = 3600.0;
constexpr double kLeastStepBack = 0.1;
constexpr const char* kDefaultHold = "10";
}  // namespace

void frmMain::ToggleFreeze() {
  if (SourceLocked == kTrue) {
    SourceLocked = kFalse;
    menu_.SetChecked(MenuItem::menuFreeze, false);
  } else {
    SourceLocked = kTrue;
    menu_.SetChecked(MenuItem::menuFreeze, true);
    // Frozen, every tick draws.
    WakeCaptureTick();
  }
}

void frmMain::menuFreeze_Click() {
  ToggleFreeze();
}
void frmMain::VBHotKey1_HotKey() {
  ToggleFreeze();
}
void frmMain::VBHotKey2_HotKey() {
  menuFreezeAndLock_Click();
}

void frmMain::menuFreezeAndLock_Click() {
  bool timerStopped = false;
  try {
    SourceLocked = kTrue;
    WakeCaptureTick();
    Pause(1);
    p_.timer1.SetEnabled(false);
    timerStopped = true;
    if (SecondsToWait.empty()) SecondsToWait = kDefaultHold;
    const float hold = text_forms::ToSingle(SecondsToWait, p_.runtime.DecimalSeparator());
    Pause(hold);
    p_.timer1.SetEnabled(true);
    timerStopped = false;
    menu_.SetChecked(MenuItem::menuFreeze, true);
  } catch (const Failure& failure) {
    // The picture must not stand still for the rest of the run because the hold failed.
    if (timerStopped) p_.timer1.SetEnabled(true);
    ShowFreezeAndLockFailure(failure);
  }
}

void frmMain::ShowFreezeAndLockFailure(const Failure& failure) {
  using startup_messages::kCrLf;
  if (failure.Number() == failures::kTypeMismatch) {
    p_.messages.Show({std::string("The optional command value must be nummeric (see the Vistrel "
                                  "readme.txt at COMMANDS).") +
                          kCrLf + "Vistrel will quit now...",
                      platform::kExclamation, "Oops..."});
    // Quit through the normal close, so the tray icon goes and this run's settings are kept.
    Unload(UnloadMode::kFormCode);
  }
  p_.messages.Show({std::string("An Error was generated:") + kCrLf + kCrLf + "Description:" +
                        kCrLf + "Error" + startup_messages::ErrorNumberText(failure.Number()) +
                        " - " + failure.Description() + kCrLf + "menuFreezeAndLock_Click" + kCrLf +
                        kCrLf + "Please inform the author with the error description above.",
                    platform::kOkOnly, "Error", failure.HelpContext()});
}

void frmMain::Pause(float nSecond) {
  // Seconds since midnight, read as single precision like the runtime's timer.
  const auto timeOfDay = [&] { return static_cast<float>(p_.clock.SecondsSinceMidnight()); };
  double reading = timeOfDay();
  double steady = p_.clock.SteadySeconds();
  double start = reading;
  for (;;) {
    const float elapsed = static_cast<float>(reading - start);
    if (!(elapsed < nSecond)) return;
    // Sleep until an event arrives or the time is up, handling every event meanwhile. No single
    // wait spans a midnight unseen: each is at most an hour.
    p_.pump.WaitForEvents(std::min(static_cast<double>(nSecond) - elapsed, kLongestWait));
    const double previous = std::exchange(reading, timeOfDay());
    const double previousSteady = std::exchange(steady, p_.clock.SteadySeconds());
    // How far the time of day fell behind the time that passed in this round. More than half a
    // day is a midnight; with the last reading as the reference, a hold of a day or more sees
    // every midnight.
    double fall = (steady - previousSteady) - (reading - previous);
    if (fall > kSecondsPerDay / 2) {
      start -= kSecondsPerDay;
      fall -= kSecondsPerDay;
    }
    // What is left is the clock set back (summer time ending, a correction): the start
    // goes back with it, so the time already held counts and the hold keeps its length. A step
    // forward is left alone: it ends the hold early, which is harmless. Readings jitter by a few
    // milliseconds against each other, which must not add up over the rounds of a long hold.
    if (fall > kLeastStepBack) start -= fall;
  }
}

}  // namespace vistrel
