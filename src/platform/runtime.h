// The process and its surroundings: another running copy, the command line, the program's
// directory, the task list, files, the locale, and ending the process.
#pragma once

#include <string>

namespace vistrel::platform {

class Runtime {
 public:
  virtual ~Runtime() = default;
  // True when another copy of the program is already running. May throw a Failure, which the
  // start-up guard reports.
  virtual bool PreviousInstance() = 0;
  // Whether the running copy shows a tray icon, where its box points. True when it can not be
  // asked, and on a platform whose copies always have one.
  virtual bool RunningCopyHasTrayIcon() { return true; }
  // Asks the running copy to show its window and bring it to the front; false when it can not be
  // asked.
  virtual bool BringRunningCopyForward() { return false; }
  // The argument part of the command line, as one text, empty when there is none.
  virtual std::string CommandLine() = 0;
  // The executable's directory without a trailing separator (except at a drive root).
  virtual std::string AppPath() = 0;
  // The separator between a directory and a file name ("\\" or "/").
  virtual char PathSeparator() = 0;
  virtual void HideFromTaskList() = 0;
  // True when the file can be opened for reading (not a directory, not locked, not unreadable).
  virtual bool CanOpenForReading(const std::string& path) = 0;
  // The user's decimal separator for number texts.
  virtual char DecimalSeparator() = 0;
  // Ends the process at once; does not return.
  [[noreturn]] virtual void End() = 0;
};

}  // namespace vistrel::platform
