#include "runtime_qt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QLocale>
#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/failure.h"

// LeakSanitizer's entry point, present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace vistrel::x11 {

QtRuntime::QtRuntime(std::string commandLine) : commandLine_(std::move(commandLine)) {}

QString QtRuntime::LockFilePath() {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) {
    // The temporary directory is shared between users: the name carries ours.
    return QDir::tempPath() + QStringLiteral("/vistrel-%1.lock").arg(::getuid());
  }
  return dir + QStringLiteral("/vistrel.lock");
}

bool QtRuntime::PreviousInstance() {
  lock_ = std::make_unique<QLockFile>(LockFilePath());
  // Only a running owner holds the lock, however long it has been running; the lock of an
  // owner that died is taken over.
  lock_->setStaleLockTime(0);
  if (lock_->tryLock(0)) return false;
  switch (lock_->error()) {
    case QLockFile::LockFailedError:
      return true;
    case QLockFile::PermissionError:
      throw Failure(70, "Permission denied: " + LockFilePath().toStdString());
    default:
      throw Failure(75, "Path/File access error: " + LockFilePath().toStdString());
  }
}

std::string QtRuntime::AppPath() {
  // The directory of the real file, also when started through a link in bin/.
  return QCoreApplication::applicationDirPath().toStdString();
}

bool QtRuntime::CanOpenForReading(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  const bool file = ::fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
  ::close(fd);
  return file;
}

char QtRuntime::DecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  return point.size() == 1 && point[0].unicode() < 0x80 ? static_cast<char>(point[0].unicode())
                                                        : '.';
}

void QtRuntime::End() {
  if (beforeEnd_) beforeEnd_();
  if (lock_) lock_->unlock();
  std::fflush(stdout);
  std::fflush(stderr);
  // _exit skips the leak check that a sanitizer build runs at exit: run it here instead.
  if (__lsan_do_leak_check) __lsan_do_leak_check();
  ::_exit(0);
}

double QtClock::SecondsSinceMidnight() {
  return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

int QtClock::CurrentYear() {
  return QDate::currentDate().year();
}

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

bool XdgLauncher::OpenTextFile(const std::string& path) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(path)});
}

void XdgLauncher::OpenAddress(std::uintptr_t /*owner*/, const std::string& address) {
  QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(address)});
}

}  // namespace vistrel::x11
