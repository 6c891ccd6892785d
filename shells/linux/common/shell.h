// The Linux program as both backends (X11 and Wayland) run it: the parts that do not depend on
// the display server, the core built on them and the backend's screen, window and hot keys, and
// every window, tray, timer and bus event turned into a call of the core's handler through
// frmMain::Dispatch.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "common/about_dialog_qt.h"
#include "common/clock_qt.h"
#include "common/control_dbus.h"
#include "common/event_pump_qt.h"
#include "common/launcher_xdg.h"
#include "common/message_boxes_qt.h"
#include "common/runtime_qt.h"
#include "common/settings/file_registry.h"
#include "common/shell_hotkeys.h"
#include "common/shell_window.h"
#include "common/timer_qt.h"
#include "common/tray_qt.h"

namespace vistrel::linux_shell {

// What a backend brings.
struct Backend {
  platform::Screen& screen;
  ShellWindow& window;
  ShellHotKeys& hotkeys;
  // Called once the window exists, before the timers start.
  std::function<void()> windowCreated;
};

class Shell {
 public:
  // timer1IdleStride: see QtTimer.
  Shell(std::string commandLine, double twipsPerPixel, int timer1IdleStride);
  ~Shell();

  // What a press of binding 0 (Alt+Space) or 1 (Alt+V) does, for the backend's hot keys.
  std::function<void(int binding)> HotKeyAction();
  QtTimer& Timer1() { return timer1_; }
  // A tray host appeared after the icon was added: the icon goes to it (the backends that can
  // see a host come call this).
  void TrayHostChanged();
  QtMessageBoxes& Messages() { return messages_; }
  // Whether another instance runs (asked before the core asks, for a backend that must not start
  // anything visible in a second instance); the answer holds for the core's question too.
  bool AnotherInstanceRuns() { return runtime_.PreviousInstance(); }
  // For a backend whose screen changed under the core: the desktop's extent read again and the
  // view drawn again at the next tick; and the program ended as Exit ends it (settings saved),
  // where end, if given, runs last in place of the process's end.
  void ScreenChanged();
  void Exit(std::function<void()> end = {});

  // Builds the core on the backend and runs the event loop; returns the exit code.
  int Run(Backend& backend);

 private:
  void Dispatch(const std::function<void()>& handler);
  void TrayMessage(int message);

  double twipsPerPixel_;
  frmMain* form_ = nullptr;
  std::unique_ptr<QtTray> tray_;
  QtTimer timer1_;
  QtTimer timer2_;
  std::unique_ptr<DBusControl> control_;
  FileRegistry registry_;
  QtMessageBoxes messages_;
  XdgLauncher launcher_;
  QtClock clock_;
  QtEventPump pump_;
  QtRuntime runtime_;
  QWidget* aboutOwner_ = nullptr;
  QtAboutViewFactory about_;
};

}  // namespace vistrel::linux_shell
