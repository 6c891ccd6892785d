// Start-up: the single-instance guard, the start-up sequence that restores the settings, and
// the focus handler.
#include <limits>
#include <optional>
#include <string>

#include "app/frm_main.h"
#include "app/identity.h"
#include "app/numeric.h"
#include "app/startup_messages.h"
#include "app/topmost.h"
#include "app/window_placement.h"
#include "settings/text_forms.h"

namespace vistrel {

frmMain::frmMain(platform::Platform& platform)
    : p_(platform), registry_(platform.registry, platform.messages) {}

void frmMain::Form_Initialize() {
  try {
    if (p_.runtime.PreviousInstance()) {
      // Without a tray icon the box would send the user to nothing: the running copy's window
      // comes forward instead. Its own box stays where it is true.
      if (!p_.runtime.RunningCopyHasTrayIcon() && p_.runtime.BringRunningCopyForward()) {
        p_.runtime.End();
      }
      p_.messages.Show({startup_messages::AlreadyRunningText(), platform::kInformation,
                        std::string(identity::kTitle)});
      p_.runtime.End();
    }
  } catch (const Failure& failure) {
    p_.messages.Show({startup_messages::StartupErrorText(failure), platform::kOkOnly, "Error",
                      failure.HelpContext()});
  }
}

void frmMain::Form_Load() {
  // Steps that are not guarded: a failure here ends the program with the shell's report.
  SecondsToWait = p_.runtime.CommandLine();
  SourceLocked = kFalse;
  FillTrayIconData();
  p_.tray.NotifyIcon(kNimAdd, TrayIconData);
  p_.runtime.HideFromTaskList();

  // From here a failing step is skipped and the next one runs.
  const auto step = [](auto&& body) {
    try {
      body();
    } catch (const Failure&) {
    }
  };
  step([&] { registry_.CreateKey(settings::SettingsKeyPath); });
  for (const settings::Setting setting : settings::kRestoreOrder) {
    step([&] { RestoreSetting(setting); });
  }
  step([&] { PlaceWindowOnMonitors(); });
  step([&] {
    if (menu_.Checked(MenuItem::menuOnTop)) Topmost::MakeTopmost(p_.window, true);
  });
  step([&] { ReadScreenExtents(); });
  step([&] { RestoreSetting(settings::Setting::Keep1to1); });
  step([&] {
    ZoomFactor = menu_.Checked(MenuItem::menuKeep1to1) ? kMinZoom : 2;
    ForceRedraw();
  });
  step([&] { menuVisible_Click(); });
}

void frmMain::PlaceWindowOnMonitors() {
  const double tx = p_.screen.TwipsPerPixelX();
  const double ty = p_.screen.TwipsPerPixelY();
  const placement::Frame stored{p_.window.Left() / tx, p_.window.Top() / ty, p_.window.Width() / tx,
                                p_.window.Height() / ty};
  // The frame above the client area: the title bar, with the border below it.
  const double title = stored.height - p_.window.ClientHeight();
  const placement::Frame placed = placement::Place(stored, title, p_.screen.Monitors());
  // Only what changed is set, so a stored frame that shows comes back to the twip.
  if (placed.left != stored.left) p_.window.SetLeft(ToSingle(placed.left * tx));
  if (placed.top != stored.top) p_.window.SetTop(ToSingle(placed.top * ty));
}

double frmMain::DesktopTwips(settings::Setting size) {
  const std::optional<platform::PixelRect> desktop = placement::Desktop(p_.screen.Monitors());
  if (!desktop) return std::numeric_limits<double>::infinity();
  return size == settings::Setting::Width ? desktop->width * p_.screen.TwipsPerPixelX()
                                          : desktop->height * p_.screen.TwipsPerPixelY();
}

void frmMain::Form_GotFocus() {
  ForceRedraw();
}

void frmMain::RestoreSetting(settings::Setting setting) {
  const settings::SettingDefinition& entry = settings::Definition(setting);
  const std::optional<std::string> text =
      registry_.ReadStringValue(settings::SettingsKeyPath, entry.name);
  // An unrecognised root gives no text at all; the settings path always has one, so this only
  // guards against a change of that path.
  if (!text) return;
  ApplySetting(entry, *text);
}

void frmMain::ApplySetting(const settings::SettingDefinition& entry, const std::string& text) {
  const char separator = p_.runtime.DecimalSeparator();
  if (!entry.set) {
    menu_.SetChecked(entry.item, text_forms::ToBoolean(text, separator));
    return;
  }
  const float value = text_forms::ToSingle(text, separator);
  // A window can not have a negative size, and one larger than every monitor together would only
  // magnify itself: like any unusable value, such a size keeps the designed one.
  if (entry.size && (value < 0 || value > DesktopTwips(entry.setting))) {
    throw failures::InvalidPropertyValue();
  }
  (p_.window.*entry.set)(value);
}

// Very large desktops are clamped into the 16-bit fields rather than failing.
void frmMain::ReadScreenExtents() {
  ScreenLeft = ClampToInt16(p_.screen.LeftTwips() / p_.screen.TwipsPerPixelX());
  ScreenTop = ClampToInt16(p_.screen.TopTwips() / p_.screen.TwipsPerPixelY());
  ScreenWidth = ClampToInt16(p_.screen.WidthTwips() / p_.screen.TwipsPerPixelX());
  ScreenHeight = ClampToInt16(p_.screen.HeightTwips() / p_.screen.TwipsPerPixelY());
}

void frmMain::ScreenChanged() {
  ReadScreenExtents();
  ForceRedraw();
}

}  // namespace vistrel
