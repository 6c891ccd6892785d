#include "wayland/run_wayland.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/identity.h"
#include "app/main_window_definition.h"
#include "common/message_boxes_qt.h"
#include "common/shell.h"
#include "desktop/window_control_of_session.h"
#include "wayland/hotkeys_portal.h"
#include "wayland/main_window_wayland.h"
#include "wayland/screen_portal.h"

namespace vistrel::linux_shell::wayland {
namespace {

// The end of a program that gave up: the X11 program in its place, with the same arguments,
// where an X server is at hand; else a failure's end.
[[noreturn]] void EndOrGoToX11(bool x11, char** argv) {
  if (x11) {
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    execv("/proc/self/exe", argv);
    std::perror("Vistrel could not start again on X11");
  }
  std::fflush(stderr);
  ::_exit(1);
}

// Says why the screen can not be shown and what to do, then ends as Exit does, saving what the
// user changed meanwhile, and runs the program on X11 where an X server is at hand (it
// replaces this process, so the lock is handed over first).
[[noreturn]] void GiveUp(Shell& shell, const ScreenCastError& error, char** argv) {
  const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
  const std::string text =
      std::string(ShareLifecycle::kNotShown) + error.text +
      "\n\nOn this desktop Vistrel shows what the desktop shares with it. " +
      (error.refused ? "Start Vistrel again and allow it to share the entire screen; the desktop "
                       "then remembers the answer."
                     : "It needs the desktop's screen cast portal with the pointer's position "
                       "(xdg-desktop-portal with the GNOME or KDE backend).") +
      (x11 ? "\n\nUntil then Vistrel runs as an X11 program and magnifies only the windows of "
             "other X11 programs."
           : "");
  std::fprintf(stderr, "%s\n", text.c_str());
  shell.Messages().Show({text, platform::kExclamation, std::string(identity::kTitle)});
  shell.Exit([x11, argv] { EndOrGoToX11(x11, argv); });
  EndOrGoToX11(x11, argv);  // only where the core was gone already
}

// The first share, asked once the window shows: a desktop that did not answer may yet, so the
// user may ask again as after a share that ended; one that shares nothing usable is told why.
void FirstShare(Shell& shell, PortalScreen& screen, char** argv) {
  ScreenCastError error;
  if (screen.Open(error)) return;
  if (error.unanswered) {
    screen.Ask(error.text);
    return;
  }
  GiveUp(shell, error, argv);
}

// One box: why the screen is not shown, then Share Again or End; Escape and the close button
// only put the question off, and the view stays black meanwhile.
ShareAnswer AskToShareAgain(const std::string& why) {
  const std::string text = why + "\n\nShare the screen with Vistrel again?";
  std::fprintf(stderr, "Vistrel asks: %s\n", text.c_str());
  const std::unique_ptr<QMessageBox> box = BuildTwoAnswerBox(
      std::string(identity::kTitle), text, QStringLiteral("Share Again"), QStringLiteral("End"));
  box->exec();
  if (!box->clickedButton()) return ShareAnswer::kLater;
  return box->clickedButton() == box->defaultButton() ? ShareAnswer::kAgain : ShareAnswer::kEnd;
}

}  // namespace

std::unique_ptr<WaylandMainWindow> SessionWindow(double twipsPerPixel, bool second) {
  const std::string caption(main_window_definition::kCaption);
  return std::make_unique<WaylandMainWindow>(
      twipsPerPixel, second ? nullptr : desktop::DesktopWindowControlOfSession(caption.c_str()));
}

ViewCanvas CanvasOf(WaylandMainWindow& window) {
  return {[&window](int w, int h) -> QImage& { return window.Canvas(w, h); },
          [&window] { window.ShowCanvas(); }};
}

int RunOnWayland(const std::string& commandLine, char** argv) {
  const double twipsPerPixel = TwipsPerPixelOfPrimaryScreen();
  Shell shell(commandLine, twipsPerPixel, 0);
  PortalScreen screen(twipsPerPixel);
  // A second instance ends in the core's start-up; it must not ask the desktop for anything.
  const bool second = shell.AnotherInstanceRuns();
  const std::unique_ptr<WaylandMainWindow> owned = SessionWindow(twipsPerPixel, second);
  WaylandMainWindow& window = *owned;
  PortalHotKeys hotkeys(shell.HotKeyAction());
  Backend backend{screen, window, hotkeys, {}};
  backend.windowCreated = [&] {
    screen.SetCanvas(CanvasOf(window));
    screen.SetShareEvents({[&] { window.Blank(); }, [&] { shell.ScreenChanged(); }, AskToShareAgain,
                           [&] { shell.Exit(); }});
    window.SetViewOffer([&](std::optional<QPointF> click) { return screen.OfferAgain(click); });
    // From PipeWire's thread to the timer's.
    QtTimer& timer1 = shell.Timer1();
    screen.SetMotionWake([&timer1] {
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [&timer1] { timer1.SetIdle(false); }, Qt::QueuedConnection);
    });
    // The window shows black until the desktop answers, which may take a consent dialog or
    // never come.
    if (!second) {
      QTimer::singleShot(0, [&shell, &screen, argv] { FirstShare(shell, screen, argv); });
    }
  };
  return shell.Run(backend);
}

}  // namespace vistrel::linux_shell::wayland
