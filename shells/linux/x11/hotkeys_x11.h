// Alt + Space and Alt + V as passive key grabs on the root window, with the CapsLock and
// NumLock variants (X matches modifiers exactly). Presses arrive through the shell's X event
// filter and reach the core on the UI thread after the X event has been handled.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "common/shell_hotkeys.h"
#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {

class XcbHotKeys : public ShellHotKeys {
 public:
  XcbHotKeys(const Connection& x, std::function<void(int binding)> pressed);
  ~XcbHotKeys() override;

  // Grabs both bindings; returns the descriptions of those another program already holds.
  std::vector<std::string> Register() override;
  void Shutdown() override;
  bool HandleXEvent(const void* event);

 private:
  struct Grab {
    int binding;
    std::uint8_t keycode;
    std::uint16_t modifiers;
  };
  std::uint16_t ModifierMaskFor(std::uint32_t keysym) const;

  const Connection& x_;
  std::function<void(int)> pressed_;
  std::vector<Grab> grabs_;
  std::uint16_t altMask_ = 0;
  std::uint16_t ignoredMask_ = 0;
  bool active_ = false;
};

}  // namespace vistrel::linux_shell::x11
