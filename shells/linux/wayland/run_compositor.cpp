#include "wayland/run_compositor.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QThread>
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

#include "common/shell.h"
#include "wayland/hotkeys_portal.h"
#include "wayland/main_window_wayland.h"
#include "wayland/run_wayland.h"
#include "wayland/screen_compositor.h"

namespace vistrel::linux_shell::wayland {
namespace {

// Qt's Wayland plugin ends the process at once (_exit) when its own connection to the
// compositor breaks, which may come before the screen's connection reports the end. Its warning
// is the last moment to save: the program is ended there as on SIGTERM, on the UI thread.
QtMessageHandler previousHandler = nullptr;
std::function<void()> endOnBreak;
// Whichever connection notices first ends the program, once.
std::atomic<bool> ending{false};

void OnQtMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (previousHandler) previousHandler(type, context, text);
  if (type != QtWarningMsg || !text.startsWith(QLatin1String("The Wayland connection")) ||
      !endOnBreak || ending.exchange(true)) {
    return;
  }
  const std::function<void()> end = endOnBreak;
  if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
    end();
    return;
  }
  // From Qt's event thread: the UI thread saves while this one waits, a bounded time in case
  // the UI thread waits on the compositor itself.
  auto done = std::make_shared<QSemaphore>();
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [end, done] {
        end();
        done->release();
      },
      Qt::QueuedConnection);
  done->tryAcquire(1, 2000);
}

}  // namespace

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
  const std::unique_ptr<WaylandMainWindow> window =
      SessionWindow(twipsPerPixel, shell.AnotherInstanceRuns());
  PortalHotKeys hotkeys(shell.HotKeyAction());
  Backend backend{screen, *window, hotkeys, {}};
  backend.windowCreated = [&] {
    screen.SetCanvas(CanvasOf(*window));
    QtTimer& timer1 = shell.Timer1();
    endOnBreak = [&shell] { shell.Exit(); };
    screen.SetEvents({[&] { shell.ScreenChanged(); }, [&timer1] { timer1.SetIdle(false); },
                      [] {
                        if (!ending.exchange(true)) endOnBreak();
                      }});
    previousHandler = qInstallMessageHandler(OnQtMessage);
  };
  const int code = shell.Run(backend);
  ending = true;
  return code;
}

}  // namespace vistrel::linux_shell::wayland
