// Starting other programs without waiting for them: the platform's text viewer for the help file
// and the default handler for a web address. Neither sees a shell.
#pragma once

#include <cstdint>
#include <string>

namespace vistrel::platform {

class Launcher {
 public:
  virtual ~Launcher() = default;
  // The text viewer with the path as its one argument, in a normal window that gets the focus.
  // Returns false when the viewer could not be started.
  virtual bool OpenTextFile(const std::string& path) = 0;
  // The platform's default action for the address; owner is the dialog's native handle. The
  // result is not examined by the core.
  virtual void OpenAddress(std::uintptr_t owner, const std::string& address) = 0;
};

}  // namespace vistrel::platform
