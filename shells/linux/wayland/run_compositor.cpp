#include "wayland/run_compositor.h"

#include <QCoreApplication>
#include <cstdio>

#include "app/main_window_definition.h"
#include "common/shell.h"
#include "desktop/window_control_of_session.h"
#include "wayland/hotkeys_portal.h"
#include "wayland/main_window_wayland.h"
#include "wayland/run_wayland.h"
#include "wayland/screen_compositor.h"

namespace vistrel::linux_shell::wayland {

int RunOnCompositor(const std::string& commandLine, char** argv) {
  const double twipsPerPixel = TwipsPerPixelOfPrimaryScreen();
  CompositorScreen screen(twipsPerPixel);
  // Opened before anything else: it asks no question of the user, so a second instance (which
  // ends in the core's start-up) may open it too.
  std::string why;
  if (!screen.Open(why)) {
    std::fprintf(stderr, "Vistrel: %s; trying the screen cast portal.\n", why.c_str());
    return RunOnWayland(commandLine, argv);
  }
  Shell shell(commandLine, twipsPerPixel, 0);
  const bool second = shell.AnotherInstanceRuns();
  const std::string caption(main_window_definition::kCaption);
  WaylandMainWindow window(
      twipsPerPixel, second ? nullptr : desktop::DesktopWindowControlOfSession(caption.c_str()));
  PortalHotKeys hotkeys(shell.HotKeyAction());
  Backend backend{screen, window, hotkeys, {}};
  backend.windowCreated = [&] {
    screen.SetCanvas({[&](int w, int h) -> QImage& { return window.Canvas(w, h); },
                      [&] { window.ShowCanvas(); }});
    QtTimer& timer1 = shell.Timer1();
    screen.SetEvents({[&] { shell.ScreenChanged(); }, [&timer1] { timer1.SetIdle(false); },
                      [&] { shell.Exit(); }});
  };
  return shell.Run(backend);
}

}  // namespace vistrel::linux_shell::wayland
