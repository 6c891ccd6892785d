#include "wayland/run_wayland.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

#include "app/identity.h"
#include "app/main_window_definition.h"
#include "common/shell.h"
#include "desktop/window_control_of_session.h"
#include "wayland/hotkeys_portal.h"
#include "wayland/main_window_wayland.h"
#include "wayland/screen_portal.h"

namespace vistrel::linux_shell::wayland {
namespace {

// Says why the screen can not be shown and what to do, then runs the program on X11 where an
// X server is at hand (it replaces this process, so the lock is handed over first).
int GiveUp(Shell& shell, const ScreenCastError& error, char** argv) {
  const bool x11 = !qEnvironmentVariableIsEmpty("DISPLAY");
  const std::string text =
      "Vistrel can not show the screen: " + error.text +
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
  if (!x11) return 1;
  shell.ReleaseInstance();
  setenv("QT_QPA_PLATFORM", "xcb", 1);
  execv("/proc/self/exe", argv);
  std::perror("Vistrel could not start again on X11");
  return 1;
}

// The screen is gone for good (why says how): one box offers to share it again or to end the
// program as Exit does. The view stays black meanwhile.
void AskToShareAgain(Shell& shell, PortalScreen& screen, std::string why) {
  for (;;) {
    const std::string text = why + "\n\nShare the screen with Vistrel again?";
    std::fprintf(stderr, "Vistrel asks: %s\n", text.c_str());
    QMessageBox box(QMessageBox::Question, QString::fromUtf8(identity::kTitle),
                    QString::fromStdString(text));
    box.setTextFormat(Qt::PlainText);
    QPushButton* again = box.addButton(QStringLiteral("Share Again"), QMessageBox::AcceptRole);
    // A magnifier without a screen has nothing to do: closing the box ends it too.
    QPushButton* exit = box.addButton(QStringLiteral("Exit"), QMessageBox::RejectRole);
    box.setDefaultButton(again);
    box.setEscapeButton(exit);
    box.exec();
    if (box.clickedButton() != again) {
      shell.Exit();
      return;
    }
    ScreenCastError error;
    if (screen.Open(error)) return;
    why = "Vistrel can not show the screen: " + error.text;
  }
}

}  // namespace

int RunOnWayland(const std::string& commandLine, char** argv) {
  const double twipsPerPixel = TwipsPerPixelOfPrimaryScreen();
  Shell shell(commandLine, twipsPerPixel, 0);
  PortalScreen screen(twipsPerPixel);
  // A second instance ends in the core's start-up; it must not ask the desktop for anything,
  // nor take a window control: KWin's place watch goes by one name, the running copy's.
  const bool second = shell.AnotherInstanceRuns();
  if (!second) {
    ScreenCastError error;
    if (!screen.Open(error)) return GiveUp(shell, error, argv);
  }
  const std::string caption(main_window_definition::kCaption);
  WaylandMainWindow window(
      twipsPerPixel, second ? nullptr : desktop::DesktopWindowControlOfSession(caption.c_str()));
  PortalHotKeys hotkeys(shell.HotKeyAction());
  Backend backend{screen, window, hotkeys, {}};
  backend.windowCreated = [&] {
    screen.SetCanvas({[&](int w, int h) -> QImage& { return window.Canvas(w, h); },
                      [&] { window.ShowCanvas(); }});
    screen.SetShareEvents(
        {[&] { window.Blank(); }, [&] { shell.Redraw(); },
         [&](const std::string& why) {
           // Asked from the event loop, outside the handler that noticed.
           QTimer::singleShot(0, [&shell, &screen, why] { AskToShareAgain(shell, screen, why); });
         }});
    // From PipeWire's thread to the timer's.
    QtTimer& timer1 = shell.Timer1();
    screen.SetMotionWake([&timer1] {
      QMetaObject::invokeMethod(
          QCoreApplication::instance(), [&timer1] { timer1.SetIdle(false); }, Qt::QueuedConnection);
    });
  };
  return shell.Run(backend);
}

}  // namespace vistrel::linux_shell::wayland
