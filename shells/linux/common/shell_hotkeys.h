// The hot keys as a backend of the Linux program provides them: the core's service, plus the
// registration the shell makes once the main window exists.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/hotkeys.h"

namespace vistrel::linux_shell {

class ShellHotKeys : public platform::HotKeys {
 public:
  // Takes both bindings; returns the descriptions of those that could not be had.
  virtual std::vector<std::string> Register() = 0;
  // The same, told to registered: at once, or from the event loop by a backend whose desktop
  // answers later (so that nothing waits for it).
  virtual void RegisterThen(const std::function<void(std::vector<std::string>)>& registered) {
    registered(Register());
  }
  // False, after Register, when the desktop gives programs no global keys at all.
  virtual bool Available() const { return true; }
};

}  // namespace vistrel::linux_shell
