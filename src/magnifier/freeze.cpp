// Freeze (hold the source rectangle, keep it live) and Freeze and Lock (also hold the picture
// still for the command-line number of seconds), and Pause, the wait that keeps the program
// responsive: handlers, including Freeze and Lock itself, run inside it.
#include "app/frm_main.h"
#include "app/numeric.h"
#include "app/startup_messages.h"
#include "settings/text_forms.h"

namespace vistrel {
namespace {
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
  // Pause returns once at least nSecond seconds have passed, and the steady clock alone can
  // promise that: the time of day goes back at midnight and whenever the clock is set (summer
  // time ending, a correction, a time zone that changes at midnight), and forward as often, so a
  // hold measured by it was lengthened by every step back and shortened by every step forward,
  // whatever rule tried to tell the steps from the midnights.
  const double start = p_.clock.SteadySeconds();
  for (;;) {
    const double elapsed = p_.clock.SteadySeconds() - start;
    if (!(elapsed < nSecond)) return;
    // Sleep until an event arrives or the time is up, handling every event meanwhile.
    p_.pump.WaitForEvents(nSecond - elapsed);
  }
}

}  // namespace vistrel
