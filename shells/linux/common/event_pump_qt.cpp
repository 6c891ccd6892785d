#include "common/event_pump_qt.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace vistrel::linux_shell {

void QtEventPump::WaitForEvents(double maxSeconds) {
  if (!(maxSeconds > 0)) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // The deadline is an event too: the wait ends at the latest when it fires.
  // Each wait has its own deadline: a handler inside the wait may wait again (Freeze and Lock
  // started during Freeze and Lock).
  const double ms = std::min(std::ceil(maxSeconds * 1000.0), 24.0 * 3600 * 1000);
  QTimer deadline;
  deadline.setSingleShot(true);
  deadline.setTimerType(Qt::PreciseTimer);
  deadline.start(static_cast<int>(ms));
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

}  // namespace vistrel::linux_shell
