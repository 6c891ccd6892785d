// Vistrel on Linux: picks the way to meet the desktop (in a Wayland session the compositor's own
// capture, else the screen cast portal; else X11) and hands the command line to it.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <string>

#include "common/command_line.h"
#include "common/desktop_id.h"
#include "wayland/compositor_probe.h"
#include "wayland/run_compositor.h"
#include "wayland/run_wayland.h"
#include "wayland/startup_order.h"
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

namespace wl = vistrel::linux_shell::wayland;

// A cursor session enters as soon as it exists (within a roundtrip or two); the wait only bounds
// a compositor that is slow to answer.
constexpr std::chrono::milliseconds kEnterWait{250};

// A platform the user named in QT_QPA_PLATFORM wins (its first choice); otherwise a Wayland
// session gets the Wayland client by the start-up order.
wl::Way ChooseWay() {
  const std::string named =
      qEnvironmentVariable("QT_QPA_PLATFORM").section(QLatin1Char(';'), 0, 0).toStdString();
  const wl::Surroundings surroundings{
      named,
      qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") &&
          !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"),
      !qEnvironmentVariableIsEmpty("SWAYSOCK")};
  const wl::CompositorCapture capture = wl::AskCompositor(surroundings)
                                            ? wl::ProbeCompositor(kEnterWait)
                                            : wl::CompositorCapture::kNone;
  return wl::ChooseWay(surroundings, capture);
}

}  // namespace

int main(int argc, char** argv) {
  if (const auto text = vistrel::linux_shell::InformationAsked(argc, argv)) {
    std::fputs(text->c_str(), stdout);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  const wl::Way way = ChooseWay();
  const bool wayland = way != wl::Way::kX11;
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
  switch (way) {
    case wl::Way::kCompositor:
      return wl::RunOnCompositor(commandLine, argv);
    case wl::Way::kPortal:
      return wl::RunOnWayland(commandLine, argv);
    case wl::Way::kX11:
      break;
  }
  return vistrel::linux_shell::x11::RunOnX11(commandLine);
}
