// Closing the main window, whatever asked for it: the tray icon goes, the eight settings are
// written, the hot keys are released and the program ends. A close is never refused.
#include <cstdlib>

#include "app/frm_main.h"
#include "settings/text_forms.h"

namespace vistrel {

void frmMain::Form_QueryUnload(std::int16_t& /*cancel*/, UnloadMode /*unloadMode*/) {
  TrayIconData.cbSize = kTrayRecordSize;
  TrayIconData.hWnd = p_.window.PichookHandle();
  TrayIconData.uID = kTrayIconId;
  p_.tray.NotifyIcon(kNimDelete, TrayIconData);
  for (const auto& entry : settings::kRecord) {
    registry_.WriteStringValue(settings::SettingsKeyPath, entry.name, SettingText(entry.setting));
  }
}

void frmMain::Form_Unload(std::int16_t& /*cancel*/) {
  p_.hotkeys.Shutdown();
  p_.runtime.End();
}

void frmMain::Form_Terminate() {
  p_.hotkeys.Shutdown();
}

void frmMain::Unload(UnloadMode mode) {
  std::int16_t cancel = 0;
  Form_QueryUnload(cancel, mode);
  Form_Unload(cancel);
  std::abort();  // Form_Unload ends the process; the runtime's End never returns.
}

std::string frmMain::SettingText(settings::Setting setting) {
  using settings::Setting;
  const char separator = p_.runtime.DecimalSeparator();
  const auto number = [&](float value) { return text_forms::FromSingle(value, separator); };
  switch (setting) {
    case Setting::Top:
      return number(p_.window.Top());
    case Setting::Left:
      return number(p_.window.Left());
    case Setting::Height:
      return number(p_.window.Height());
    case Setting::Width:
      return number(p_.window.Width());
    case Setting::RefreshHigh:
      return text_forms::FromBoolean(menu_.Checked(MenuItem::menuRefreshHigh));
    case Setting::RefreshAlways:
      return text_forms::FromBoolean(menu_.Checked(MenuItem::menuRefreshAlways));
    case Setting::Keep1to1:
      return text_forms::FromBoolean(menu_.Checked(MenuItem::menuKeep1to1));
    case Setting::OnTop:
      return text_forms::FromBoolean(menu_.Checked(MenuItem::menuOnTop));
  }
  return {};
}

}  // namespace vistrel
