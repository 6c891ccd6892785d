// The process on Windows: the single-instance mutex, the command line, the executable's
// directory, file access, the user's decimal separator, and ending the process.
#pragma once

#include "platform/runtime.h"
#include "win32_api.h"

namespace vistrel::win32 {

inline constexpr const char* kInstanceMutexName = "Local\\Vistrel";

class WinRuntime : public platform::Runtime {
 public:
  bool PreviousInstance() override;
  std::string CommandLine() override;
  std::string AppPath() override;
  char PathSeparator() override { return '\\'; }
  void HideFromTaskList() override;
  bool CanOpenForReading(const std::string& path) override;
  char DecimalSeparator() override;
  [[noreturn]] void End() override;

 private:
  HANDLE instanceMutex_ = nullptr;
};

}  // namespace vistrel::win32
