// The global hot-key service in the place of the outside hot-key component. The shell registers
// the two bindings of hotkey/hotkey_bindings.h when the main window is created and delivers each
// press on the UI thread as VBHotKey1_HotKey or VBHotKey2_HotKey.
#pragma once

namespace vistrel::platform {

class HotKeys {
 public:
  virtual ~HotKeys() = default;
  // Releases both combinations; no hot-key event follows.
  virtual void Shutdown() = 0;
};

}  // namespace vistrel::platform
