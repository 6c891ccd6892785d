// The way the program takes at start-up, each row one desktop: what the environment says, what
// the compositor answered, and the way.
#include "wayland/startup_order.h"

#include <gtest/gtest.h>

namespace vistrel::linux_shell::wayland {
namespace {

using C = CompositorCapture;

struct Row {
  const char* desktop;
  Surroundings surroundings;
  C capture;
  bool asked;
  Way way;
};

TEST(StartupOrder, OneWayPerDesktop) {
  const Row rows[] = {
      {"GNOME, Plasma", {"", true, false}, C::kNone, true, Way::kPortal},
      {"sway 1.10: no capture", {"", true, true}, C::kNone, true, Way::kX11},
      {"sway 1.12", {"", true, true}, C::kReady, true, Way::kCompositor},
      {"sway 1.12, no pointer", {"", true, true}, C::kNoPointer, true, Way::kX11},
      {"labwc 0.8: the portal's box", {"", true, false}, C::kNone, true, Way::kPortal},
      {"labwc 0.20", {"", true, false}, C::kReady, true, Way::kCompositor},
      {"labwc 0.20, cursor painted", {"", true, false}, C::kNoPointer, true, Way::kPortal},
      {"X11 session", {"", false, false}, C::kNone, false, Way::kX11},
      {"xcb named", {"xcb", true, false}, C::kReady, false, Way::kX11},
      {"wayland named on sway 1.10", {"wayland", true, true}, C::kNone, true, Way::kPortal},
      {"wayland named on sway 1.12",
       {"wayland-egl", false, true},
       C::kReady,
       true,
       Way::kCompositor},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(AskCompositor(row.surroundings), row.asked) << row.desktop;
    EXPECT_EQ(ChooseWay(row.surroundings, row.capture), row.way) << row.desktop;
  }
}

}  // namespace
}  // namespace vistrel::linux_shell::wayland
