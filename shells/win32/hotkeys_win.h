// The two global hot keys through RegisterHotKey on the main window: Alt + Space and Alt + V as
// hotkey/hotkey_bindings.h defines them; each press arrives as WM_HOTKEY on the UI thread.
#pragma once

#include <string>
#include <vector>

#include "platform/hotkeys.h"
#include "win32_api.h"

namespace vistrel::win32 {

class WinHotKeys : public platform::HotKeys {
 public:
  // Registers both bindings for the window (ids 1 and 2, in the bindings' order); returns the
  // combinations that another program already holds ("Alt + Space").
  std::vector<std::string> Register(HWND window);
  void Shutdown() override;

 private:
  HWND window_ = nullptr;
};

}  // namespace vistrel::win32
