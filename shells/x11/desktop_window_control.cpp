#include "desktop_window_control.h"

namespace vistrel::x11 {

std::unique_ptr<DesktopWindowControl> DesktopWindowControlOfSession(const char* /*windowTitle*/) {
  return nullptr;
}

}  // namespace vistrel::x11
