#include "x11/run_x11.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <cstdio>

#include "app/main_window_definition.h"
#include "common/shell.h"
#include "desktop/sway_window_control.h"
#include "x11/hotkeys_x11.h"
#include "x11/main_window_x11.h"
#include "x11/screen_x11.h"
#include "x11/tray_host_watch.h"
#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {
namespace {

class XEventFilter : public QAbstractNativeEventFilter {
 public:
  XEventFilter(XcbHotKeys& hotkeys, TrayHostWatch& trayHost, QtMainWindow& window,
               XcbScreen& screen)
      : hotkeys_(hotkeys), trayHost_(trayHost), window_(window), screen_(screen) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    if (screen_.HandleXEvent(message)) return true;
    trayHost_.HandleXEvent(message);
    window_.HandleXEvent(message);
    return hotkeys_.HandleXEvent(message);
  }

 private:
  XcbHotKeys& hotkeys_;
  TrayHostWatch& trayHost_;
  QtMainWindow& window_;
  XcbScreen& screen_;
};

}  // namespace

int RunOnX11(const std::string& commandLine) {
  xcb_connection_t* connection = Connection::FromQt();
  if (!connection) {
    std::fprintf(stderr, "Vistrel could not reach the X server.\n");
    return 1;
  }
  const Connection x(connection);
  const double twipsPerPixel = TwipsPerPixelOfPrimaryScreen();
  Shell shell(commandLine, twipsPerPixel, XcbScreen::kWarpCheckTicks);
  XcbScreen screen(x, twipsPerPixel);
  // sway places X11 windows itself; its IPC does what the program asks.
  const std::string caption(main_window_definition::kCaption);
  QtMainWindow window(x, twipsPerPixel, desktop::MakeSwayWindowControl(caption.c_str()));
  XcbHotKeys hotkeys(x, shell.HotKeyAction());
  std::unique_ptr<TrayHostWatch> trayHost;
  std::unique_ptr<XEventFilter> filter;
  Backend backend{screen, window, hotkeys, {}};
  backend.windowCreated = [&] {
    screen.SetRenderer(&window.Renderer());
    QtTimer& timer1 = shell.Timer1();
    screen.SetMotionWake([&timer1] { timer1.SetIdle(false); });
    trayHost = std::make_unique<TrayHostWatch>(x, [&shell] { shell.TrayHostChanged(); });
    filter = std::make_unique<XEventFilter>(hotkeys, *trayHost, window, screen);
    QCoreApplication::instance()->installNativeEventFilter(filter.get());
    screen.WatchPointerMotion();
  };
  return shell.Run(backend);
}

}  // namespace vistrel::linux_shell::x11
