#include "common/desktop_window_control.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace vistrel::linux_shell {
namespace {

constexpr int kAttempts = 20;
constexpr int kAttemptIntervalMs = 100;

}  // namespace

void DesktopWindowControl::Attempt(QWidget* window, int x, int y, bool above, QSize size,
                                   int attemptsLeft) {
  QTimer::singleShot(kAttemptIntervalMs, window, [=, this, window = QPointer<QWidget>(window)] {
    if (!window || !window->isVisible()) return;
    Move(x, y, [=, this](bool moved) {
      if (!window || !window->isVisible()) return;
      if (!moved) {
        if (attemptsLeft > 1) Attempt(window, x, y, above, size, attemptsLeft - 1);
        return;
      }
      placed_ = true;
      if (window->size() != size) window->resize(size);
      KeepAbove(above);
    });
  });
}

void DesktopWindowControl::ApplyWhenShown(QWidget& window, int x, int y, bool above) {
  placed_ = false;
  Attempt(&window, x, y, above, window.size(), kAttempts);
}

}  // namespace vistrel::linux_shell
