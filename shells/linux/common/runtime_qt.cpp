#include "common/runtime_qt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <cstdio>

#include "app/failure.h"
#include "common/control_dbus.h"

// LeakSanitizer's entry point, present only in sanitizer builds.
extern "C" __attribute__((weak)) void __lsan_do_leak_check();

namespace vistrel::linux_shell {

QtRuntime::QtRuntime(std::string commandLine) : commandLine_(std::move(commandLine)) {}

QString QtRuntime::LockFilePath() {
  QString dir = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (dir.isEmpty() || !QDir(dir).exists()) {
    // The temporary directory is shared between users: the name carries ours.
    return QDir::tempPath() + QStringLiteral("/vistrel-%1.lock").arg(::getuid());
  }
  return dir + QStringLiteral("/vistrel.lock");
}

bool QtRuntime::RunningCopyHasTrayIcon() {
  return AskRunningCopyHasTrayIcon().value_or(true);
}

bool QtRuntime::BringRunningCopyForward() {
  return AskRunningCopyToShow();
}

bool QtRuntime::PreviousInstance() {
  if (lock_ && lock_->isLocked()) return false;
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
  if (end_) end_();
  ::_exit(0);
}

}  // namespace vistrel::linux_shell
