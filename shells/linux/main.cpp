// Vistrel on Linux: picks the way to meet the desktop (a Wayland client in a Wayland session,
// else X11) and hands the command line to it.
#include <QApplication>
#include <cstdio>
#include <string>

#include "common/command_line.h"
#include "common/desktop_id.h"
#include "wayland/run_wayland.h"
#include "x11/run_x11.h"

namespace {

// The one argument, as the text after the program's name.
std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

// A platform the user named in QT_QPA_PLATFORM wins (its first choice); otherwise a Wayland
// session gets the Wayland client, except on sway: its screen sharing tells no pointer position,
// so the program runs through XWayland there.
bool UseWayland() {
  const QString named = qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(';'), 0, 0);
  if (named.startsWith(QLatin1String("wayland"))) return true;
  if (named == QLatin1String("xcb")) return false;
  return qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") &&
         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") && qEnvironmentVariableIsEmpty("SWAYSOCK");
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto text = vistrel::linux_shell::InformationAsked(argc, argv)) {
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const bool wayland = UseWayland();
  qputenv("QT_QPA_PLATFORM", wayland ? "wayland" : "xcb");
  if (!wayland && qEnvironmentVariableIsEmpty("DISPLAY")) {
    std::fprintf(stderr,
                 "Vistrel needs an X11 display or a Wayland session, and neither "
                 "DISPLAY nor WAYLAND_DISPLAY is set.\n");
    return 1;
  }
  const std::string commandLine = JoinArguments(argc, argv);
  // Qt sees no arguments: every one of them is the program's own.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  // Before the application object: Qt 6.11 gives the desktop's portal this name as the
  // program's when it starts, and the portal takes only the first name a program gives it,
  // before any other call (Qt's own reading of the desktop's settings is one).
  QApplication::setDesktopFileName(QString::fromLatin1(vistrel::linux_shell::kDesktopId));
  QApplication app(qtArgc, qtArgv);
  QApplication::setApplicationName(QStringLiteral("Vistrel"));
  QApplication::setQuitOnLastWindowClosed(false);
  return wayland ? vistrel::linux_shell::wayland::RunOnWayland(commandLine, argv)
                 : vistrel::linux_shell::x11::RunOnX11(commandLine);
}
