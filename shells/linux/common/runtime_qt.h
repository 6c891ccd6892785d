// The process and its surroundings on Linux: the single-instance lock file, the command line,
// the program's directory, file tests, the locale, ending the process.
#pragma once

#include <QLockFile>
#include <functional>
#include <memory>
#include <string>

#include "platform/runtime.h"

namespace vistrel::linux_shell {

class QtRuntime : public platform::Runtime {
 public:
  explicit QtRuntime(std::string commandLine);
  // Where the lock lives: $XDG_RUNTIME_DIR, else the temporary directory.
  static QString LockFilePath();

  // Asked twice (by a backend, then by the core), the second answer is the first one's.
  bool PreviousInstance() override;
  // Asked over the session bus (common/control_dbus.h).
  bool RunningCopyHasTrayIcon() override;
  bool BringRunningCopyForward() override;
  // Gives the lock up, for a program about to replace itself.
  void ReleaseInstance() { lock_.reset(); }
  std::string CommandLine() override { return commandLine_; }
  std::string AppPath() override;
  char PathSeparator() override { return '/'; }
  void HideFromTaskList() override {}
  bool CanOpenForReading(const std::string& path) override;
  char DecimalSeparator() override;
  [[noreturn]] void End() override;
  // Runs just before the process ends (the settings file's flush).
  void SetBeforeEnd(std::function<void()> beforeEnd) { beforeEnd_ = std::move(beforeEnd); }
  // Runs in place of the process's end, once the lock is given up (for a backend that gives up:
  // it starts another program, or ends with a failure).
  void SetEnd(std::function<void()> end) { end_ = std::move(end); }

 private:
  std::string commandLine_;
  std::function<void()> beforeEnd_;
  std::function<void()> end_;
  std::unique_ptr<QLockFile> lock_;
};

}  // namespace vistrel::linux_shell
