#include "wayland/startup_order.h"

namespace vistrel::linux_shell::wayland {

bool AskCompositor(const Surroundings& s) {
  if (s.namedPlatform.starts_with("wayland")) return true;
  if (s.namedPlatform == "xcb") return false;
  return s.waylandSession;
}

Way ChooseWay(const Surroundings& s, CompositorCapture capture) {
  if (!AskCompositor(s)) return Way::kX11;
  if (capture == CompositorCapture::kReady) return Way::kCompositor;
  // A platform the user named wins over what is known of sway's portal: the portal's box then
  // says why there is no screen.
  if (s.namedPlatform.starts_with("wayland")) return Way::kPortal;
  return s.sway ? Way::kX11 : Way::kPortal;
}

}  // namespace vistrel::linux_shell::wayland
