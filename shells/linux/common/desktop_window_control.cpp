#include "common/desktop_window_control.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vistrel::linux_shell {
namespace {

constexpr int kAttempts = 20;
constexpr int kAttemptIntervalMs = 100;

}  // namespace

void DesktopWindowControl::Attempt(QWidget* window, int x, int y, bool above, int attemptsLeft) {
  QTimer::singleShot(kAttemptIntervalMs, window,
                     [this, window = QPointer<QWidget>(window), x, y, above, attemptsLeft] {
                       if (!window || !window->isVisible()) return;
                       Move(x, y, [this, window, x, y, above, attemptsLeft](bool moved) {
                         if (!window || !window->isVisible()) return;
                         if (moved) {
                           placed_ = true;
                           KeepAbove(above);
                         } else if (attemptsLeft > 1) {
                           Attempt(window, x, y, above, attemptsLeft - 1);
                         }
                       });
                     });
}

void DesktopWindowControl::ApplyWhenShown(QWidget& window, int x, int y, bool above) {
  placed_ = false;
  Attempt(&window, x, y, above, kAttempts);
}

}  // namespace vistrel::linux_shell
