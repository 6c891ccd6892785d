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
      KeepAbove(above);
      // sway may first tile a Wayland window, which then floats with the tile's size: that
      // comes with a configure after sway's answer, so the window takes back its own size a
      // moment later.
      QTimer::singleShot(kAttemptIntervalMs, window, [window, size] {
        if (window && window->size() != size) window->resize(size);
      });
    });
  });
}

void DesktopWindowControl::ApplyWhenShown(QWidget& window, int x, int y, bool above) {
  // Hidden before the desktop placed it, the window may have the tile's size by now.
  if (placed_ || !ownSize_.isValid()) ownSize_ = window.size();
  placed_ = false;
  Attempt(&window, x, y, above, ownSize_, kAttempts);
}

}  // namespace vistrel::linux_shell
