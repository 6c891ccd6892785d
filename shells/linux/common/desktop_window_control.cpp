#include "common/desktop_window_control.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vistrel::linux_shell {
namespace {

constexpr int kAttempts = 20;
constexpr int kAttemptIntervalMs = 100;

void Attempt(DesktopWindowControl& control, QPointer<QWidget> window, int x, int y, bool above,
             int attemptsLeft) {
  QTimer::singleShot(kAttemptIntervalMs, window, [&control, window, x, y, above, attemptsLeft] {
    if (!window || !window->isVisible()) return;
    control.Move(x, y, [&control, window, x, y, above, attemptsLeft](bool moved) {
      if (!window || !window->isVisible()) return;
      if (moved) {
        control.KeepAbove(above);
      } else if (attemptsLeft > 1) {
        Attempt(control, window, x, y, above, attemptsLeft - 1);
      }
    });
  });
}

}  // namespace

void DesktopWindowControl::ApplyWhenShown(QWidget& window, int x, int y, bool above) {
  Attempt(*this, QPointer<QWidget>(&window), x, y, above, kAttempts);
}

}  // namespace vistrel::linux_shell
