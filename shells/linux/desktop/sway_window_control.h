// Window placement and keep-above on sway, asked of the compositor over its IPC socket
// ($SWAYSOCK): the window is found in sway's tree by this process's id and its title, then made
// floating and moved, or made sticky. Works for the program's Wayland window and for its X11
// window on XWayland alike, since sway knows the process of both.
#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QLocalSocket>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/desktop_window_control.h"

namespace vistrel::linux_shell::desktop {

class SwayWindowControl : public DesktopWindowControl {
 public:
  SwayWindowControl(QString socketPath, std::string title);

  // Makes the window floating and puts its container (border and title bar included) at x, y
  // in the layout's absolute coordinates, which are the desktop's.
  void Move(int x, int y, Answer answer) override;
  // sway draws floating windows above tiled ones; "sticky" keeps the window on whichever
  // workspace is shown. Another floating window that takes the focus still comes above it, and
  // a fullscreen window covers it: sway has no stronger "above".
  void KeepAbove(bool above, Answer answer) override;

  // From sway's tree, asked at once (waiting at most a second for the answer).
  std::optional<QPoint> Where() override;

  // True when sway answers on the socket (its version request) within the wait.
  bool Answers();

 private:
  // One request and its reply (the JSON text), nullopt when sway did not answer in time or
  // answered something that is not an i3-ipc reply of that type. A broken connection is made
  // again once, so a restarted sway is found.
  std::optional<QByteArray> Request(std::uint32_t type, const QByteArray& payload);
  std::optional<QJsonObject> FindWindow();
  bool RunOnWindow(const QString& commands);
  std::optional<QByteArray> Exchange(std::uint32_t type, const QByteArray& payload);

  QString socketPath_;
  std::string title_;
  QLocalSocket socket_;
};

// The control when $SWAYSOCK names a socket where sway answers; nullptr otherwise.
std::unique_ptr<DesktopWindowControl> MakeSwayWindowControl(const char* title);

}  // namespace vistrel::linux_shell::desktop
