// sway's window control on its own, for tests/linux/wayland: shows a tool window titled "Vistrel"
// of WIDTH x HEIGHT, and once sway has mapped it asks for it at X, Y and above the others, printing
//   CONTROL none                 when there is no sway to ask (then it ends)
//   MOVE ok ABOVE ok             what Move and KeepAbove answered (1 or 0), then runs until killed
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

#include "desktop/sway_window_control.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 5) return 2;  // sway_probe X Y WIDTH HEIGHT
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  auto control = vistrel::linux_shell::desktop::MakeSwayWindowControl("Vistrel");
  if (!control) {
    std::puts("CONTROL none");
    return 1;
  }
  QWidget window(nullptr, Qt::Tool);
  window.setWindowTitle("Vistrel");
  window.resize(std::atoi(argv[3]), std::atoi(argv[4]));
  window.show();
  // The window is in sway's tree only once its first picture is there: Move says false till then.
  QTimer retry;
  QObject::connect(&retry, &QTimer::timeout, [&, tries = 0]() mutable {
    // sway answers before the request returns.
    bool moved = false, above = false;
    control->Move(std::atoi(argv[1]), std::atoi(argv[2]), [&](bool done) { moved = done; });
    if (!moved && ++tries < 100) return;
    retry.stop();
    control->KeepAbove(true, [&](bool done) { above = done; });
    std::printf("MOVE %d ABOVE %d\n", moved, above);
  });
  retry.start(50);
  return app.exec();
}
