// Starting other programs: the help file and the homepage through xdg-open, each passed as one
// argument, never through a shell.
#pragma once

#include "platform/launcher.h"

namespace vistrel::linux_shell {

class XdgLauncher : public platform::Launcher {
 public:
  bool OpenTextFile(const std::string& path) override;
  void OpenAddress(std::uintptr_t owner, const std::string& address) override;
};

}  // namespace vistrel::linux_shell
