#include "hotkeys_win.h"

#include "hotkey/hotkey_bindings.h"

namespace vistrel::win32 {

std::vector<std::string> WinHotKeys::Register(HWND window) {
  window_ = window;
  std::vector<std::string> unavailable;
  int id = 1;
  for (const hotkey::Binding& binding : hotkey::kBindings) {
    UINT modifiers = 0;
    if (binding.altKey) modifiers |= MOD_ALT;
    if (binding.winKey) modifiers |= MOD_WIN;
    if (!RegisterHotKey(window, id++, modifiers, static_cast<UINT>(binding.vKey))) {
      unavailable.emplace_back(binding.description);
    }
  }
  return unavailable;
}

void WinHotKeys::Shutdown() {
  if (!window_) return;
  for (int id = 1; id <= static_cast<int>(hotkey::kBindings.size()); ++id) {
    UnregisterHotKey(window_, id);
  }
  window_ = nullptr;
}

}  // namespace vistrel::win32
