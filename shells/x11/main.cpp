// Vistrel on X11: builds the platform objects, hands them to the core, and turns Qt and X
// events into calls of the core's handlers, every one through frmMain::Dispatch.
#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "about_dialog_qt.h"
#include "app/frm_main.h"
#include "app/identity.h"
#include "app/main_window_definition.h"
#include "clock_qt.h"
#include "control_dbus.h"
#include "event_pump_qt.h"
#include "hotkey/unavailable_message.h"
#include "hotkeys_x11.h"
#include "launcher_xdg.h"
#include "main_window_x11.h"
#include "message_boxes_qt.h"
#include "runtime_qt.h"
#include "screen_x11.h"
#include "session_end.h"
#include "settings/file_registry.h"
#include "timer_qt.h"
#include "tray_qt.h"
#include "x11_connection.h"

namespace {

using namespace vistrel;
using namespace vistrel::x11;

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

// The one argument, as the text after the program's name.
std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  // The magnifier reads the screen and grabs keys through X; Wayland offers neither to an
  // ordinary client, so Qt runs on xcb (XWayland on a Wayland desktop).
  qputenv("QT_QPA_PLATFORM", "xcb");
  if (qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr, "Vistrel needs an X11 display, and DISPLAY is not set.\n");
    return 1;
  }
  const std::string commandLine = JoinArguments(argc, argv);
  // Qt sees no arguments: every one of them is the program's own.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication app(qtArgc, qtArgv);
  QApplication::setApplicationName(QStringLiteral("Vistrel"));
  QApplication::setDesktopFileName(QStringLiteral("vistrel"));
  QApplication::setQuitOnLastWindowClosed(false);

  xcb_connection_t* connection = Connection::FromQt();
  if (!connection) {
    std::fprintf(stderr, "Vistrel could not reach the X server.\n");
    return 1;
  }
  const Connection x(connection);
  const double twipsPerPixel = TwipsPerPixelOfPrimaryScreen();

  frmMain* formPointer = nullptr;
  QtTray* trayPointer = nullptr;
  const auto dispatch = [&formPointer, &trayPointer](auto&& handler) {
    if (!formPointer) return;
    formPointer->Dispatch(handler);
    // Every change of a check mark or enabled state comes from a handler.
    if (trayPointer) trayPointer->SyncMenu(formPointer->Menu());
  };

  XcbScreen screen(x, twipsPerPixel);
  QtMainWindow window(x, twipsPerPixel);
  QtTimer timer1(
      main_window_definition::kTimer1.intervalMs,
      [&] { dispatch([&] { formPointer->Timer1_Timer(); }); }, XcbScreen::kWarpCheckTicks);
  QtTimer timer2(main_window_definition::kTimer2.intervalMs,
                 [&] { dispatch([&] { formPointer->Timer2_Timer(); }); });
  const auto trayMessage = [&](int message) {
    dispatch([&] {
      formPointer->pichook_MouseMove(0, 0, static_cast<float>(message * twipsPerPixel), 0);
    });
  };
  QtTray tray(x, trayMessage, [&] { dispatch([&] { formPointer->ReAddTrayIcon(); }); });
  // What a right click on the icon does, for desktops without a tray.
  const auto showMenu = [trayMessage] { trayMessage(kTrayRightButtonUp); };
  trayPointer = &tray;
  window.SetChosenEntrySource([&tray] { return tray.TakeChosenEntry(); });
  const auto hotKey = [&](int binding) {
    dispatch([&] {
      if (binding == 0) {
        formPointer->VBHotKey1_HotKey();
      } else {
        formPointer->VBHotKey2_HotKey();
      }
    });
  };
  XcbHotKeys hotkeys(x, hotKey);
  // The same two actions for the desktop's own shortcuts (and where no key can be grabbed), and
  // the menu.
  DBusControl control(hotKey, showMenu);
  FileRegistry registry(FileRegistry::DefaultPath());
  QtMessageBoxes messages;
  XdgLauncher launcher;
  QtClock clock;
  QtEventPump pump;
  QtRuntime runtime(commandLine);
  // The close writes the eight values one by one; they reach the disk together, at the end.
  runtime.SetBeforeEnd([&registry] { registry.Flush(); });
  QWidget* aboutOwner = nullptr;
  QtAboutViewFactory about(twipsPerPixel, &aboutOwner,
                           [&](const std::function<void()>& handler) { dispatch(handler); });

  platform::Platform platform{screen,   window,   timer1, timer2, tray,    hotkeys, registry,
                              messages, launcher, clock,  pump,   runtime, about};
  frmMain form(platform);
  formPointer = &form;

  form.Dispatch([&] { form.Form_Initialize(); });

  MainWindowEvents events;
  events.resized = [&] { dispatch([&] { form.Form_Resize(); }); };
  events.activated = [&] { dispatch([&] { form.Form_GotFocus(); }); };
  events.mouseDown = [&](int button, int shift, double px, double py) {
    dispatch([&] {
      form.Form_MouseDown(static_cast<std::int16_t>(button), static_cast<std::int16_t>(shift),
                          static_cast<float>(px), static_cast<float>(py));
    });
  };
  events.closeRequested = [&] { dispatch([&] { form.Unload(UnloadMode::kFormControlMenu); }); };
  // Outside the key's handling, as for the icon's clicks: the menu runs a loop of its own.
  events.menuKey = [&] { QTimer::singleShot(0, showMenu); };
  window.Create(std::move(events));
  aboutOwner = window.Widget();
  screen.SetRenderer(&window.Renderer());
  screen.SetMotionWake([&timer1] { timer1.SetIdle(false); });

  XEventFilter filter(hotkeys, tray, window, screen);
  app.installNativeEventFilter(&filter);
  screen.WatchPointerMotion();
  const std::vector<std::string> unavailable = hotkeys.Register();
  timer1.Start(main_window_definition::kTimer1.enabled);
  timer2.Start(main_window_definition::kTimer2.enabled);
  OnSessionEnd([&] { dispatch([&] { form.Unload(UnloadMode::kAppWindows); }); });

  dispatch([&] { form.Form_Resize(); });
  dispatch([&] { form.Form_Load(); });
  const bool controlled = control.Register();
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    // Said once; an X11 tray that starts later still gets the icon.
    std::fprintf(stderr,
                 "Vistrel: no tray is running, so its icon is not shown. The menu opens with the "
                 "Menu key or Shift+F10 on the view%s.\n",
                 controlled ? ", or with: gdbus call --session --dest example.tarnwell.Vistrel "
                              "--object-path /example/tarnwell/Vistrel --method "
                              "example.tarnwell.Vistrel.ShowMenu"
                            : "");
  }

  if (!unavailable.empty()) {
    // Once, after the window is up; the menu items do the same as the keys.
    QTimer::singleShot(0, [&] {
      messages.Show({hotkey::UnavailableHotKeysText(unavailable), platform::kExclamation,
                     std::string(identity::kTitle)});
    });
  }
  return app.exec();
}
