#include "desktop/window_control_of_session.h"

#include "desktop/kwin_window_control.h"
#include "desktop/sway_window_control.h"

namespace vistrel::linux_shell::desktop {

std::unique_ptr<DesktopWindowControl> DesktopWindowControlOfSession(const char* windowTitle) {
  if (auto sway = MakeSwayWindowControl(windowTitle)) return sway;
  return MakeKWinWindowControl(windowTitle);
}

}  // namespace vistrel::linux_shell::desktop
