// The Plasma parts of the Wayland backend on their own, for tests/linux/wayland/test_kde.py: binds
// the hot keys through the GlobalShortcuts portal, shows a tool window titled "Vistrel" and
// places it through KWin. Prints
//   MISSING description      a binding the desktop did not give
//   NO PORTAL                the desktop has no GlobalShortcuts portal
//   READY                    registered, window shown
//   PRESSED binding          each press, as the core would get it
//   SENT                     a request returned (before its answer, which comes later)
//   MOVED 1|0, ABOVE 1|0     what the window control answered
//   WHERE x y                where the window control says the window is (-1 -1: unknown)
// and reads commands from stdin: "move X Y", "above 1|0", "where", "shutdown" (closes the hot keys'
// session), "quit".
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cstdio>
#include <memory>
#include <string>

#include "desktop/kwin_window_control.h"
#include "wayland/hotkeys_portal.h"

using namespace vistrel::linux_shell;
using namespace vistrel::linux_shell::wayland;
using namespace vistrel::linux_shell::desktop;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  PortalHotKeys keys([](int binding) { std::printf("PRESSED %d\n", binding); });
  for (const std::string& missing : keys.Register()) std::printf("MISSING %s\n", missing.c_str());
  if (!keys.Available()) std::printf("NO PORTAL\n");

  QWidget window(nullptr, Qt::Tool);
  window.setWindowTitle(QStringLiteral("Vistrel"));
  window.resize(240, 160);
  window.show();
  std::unique_ptr<DesktopWindowControl> control = MakeKWinWindowControl("Vistrel");
  std::printf(control ? "READY\n" : "READY without KWin\n");

  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&] {
    char line[128];
    if (!std::fgets(line, sizeof line, stdin)) {
      app.quit();
      return;
    }
    int x = 0, y = 0, above = 0;
    if (std::sscanf(line, "move %d %d", &x, &y) == 2 && control) {
      control->Move(x, y, [](bool moved) { std::printf("MOVED %d\n", moved); });
      std::printf("SENT\n");
    } else if (std::sscanf(line, "above %d", &above) == 1 && control) {
      control->KeepAbove(above != 0, [](bool done) { std::printf("ABOVE %d\n", done); });
      std::printf("SENT\n");
    } else if (std::string(line) == "where\n" && control) {
      const auto where = control->Where();
      std::printf("WHERE %d %d\n", where ? where->x() : -1, where ? where->y() : -1);
    } else if (std::string(line) == "shutdown\n") {
      keys.Shutdown();
      std::printf("SHUT\n");
    } else if (std::string(line) == "quit\n") {
      app.quit();
    }
  });
  return app.exec();
}
