#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <cstdio>

#include "app/main_window_definition.h"
#include "backends.h"
#include "hotkeys_x11.h"
#include "main_window_x11.h"
#include "screen_x11.h"
#include "shell.h"
#include "sway_window_control.h"
#include "x11_connection.h"

namespace vistrel::x11 {
namespace {

class XEventFilter : public QAbstractNativeEventFilter {
 public:
  XEventFilter(XcbHotKeys& hotkeys, QtTray& tray, QtMainWindow& window, XcbScreen& screen)
      : hotkeys_(hotkeys), tray_(tray), window_(window), screen_(screen) {}
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    if (screen_.HandleXEvent(message)) return true;
    tray_.HandleXEvent(message);
    window_.HandleXEvent(message);
    return hotkeys_.HandleXEvent(message);
  }

 private:
  XcbHotKeys& hotkeys_;
  QtTray& tray_;
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
  QtMainWindow window(x, twipsPerPixel, MakeSwayWindowControl(caption.c_str()));
  XcbHotKeys hotkeys(x, shell.HotKeyAction());
  std::unique_ptr<XEventFilter> filter;
  Backend backend{screen, window, hotkeys, &x, {}};
  backend.windowCreated = [&] {
    screen.SetRenderer(&window.Renderer());
    QtTimer& timer1 = shell.Timer1();
    screen.SetMotionWake([&timer1] { timer1.SetIdle(false); });
    filter = std::make_unique<XEventFilter>(hotkeys, shell.Tray(), window, screen);
    QCoreApplication::instance()->installNativeEventFilter(filter.get());
    screen.WatchPointerMotion();
  };
  return shell.Run(backend);
}

}  // namespace vistrel::x11
