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
    registry_.WriteStringValue(settings::SettingsKeyPath, entry.name, SettingText(entry));
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

std::string frmMain::SettingText(const settings::SettingDefinition& entry) {
  if (!entry.get) return text_forms::FromBoolean(menu_.Checked(entry.item));
  return text_forms::FromSingle((p_.window.*entry.get)(), p_.runtime.DecimalSeparator());
}

}  // namespace vistrel
