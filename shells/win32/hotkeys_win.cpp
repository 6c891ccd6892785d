#include "hotkeys_win.h"

#include "hotkey/hotkey_bindings.h"

namespace vistrel::win32 {

void WinHotKeys::Register(HWND window) {
  window_ = window;
  int id = 1;
  for (const hotkey::Binding& binding : hotkey::kBindings) {
    UINT modifiers = 0;
    if (binding.altKey) modifiers |= MOD_ALT;
    if (binding.winKey) modifiers |= MOD_WIN;
    // A combination another program holds stays unregistered; the program runs without it.
    RegisterHotKey(window, id++, modifiers, static_cast<UINT>(binding.vKey));
  }
}

void WinHotKeys::Shutdown() {
  if (!window_) return;
  for (int id = 1; id <= static_cast<int>(hotkey::kBindings.size()); ++id) {
    UnregisterHotKey(window_, id);
  }
  window_ = nullptr;
}

}  // namespace vistrel::win32
