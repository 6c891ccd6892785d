// Starting other programs: Notepad with the help file's path (the command line as the core
// builds it, unquoted) and the default handler of the homepage address through ShellExecuteA.
#pragma once

#include "platform/launcher.h"

namespace vistrel::win32 {

// "notepad.exe " and the path, exactly as joined.
std::string TextViewerCommandLine(const std::string& path);

class WinLauncher : public platform::Launcher {
 public:
  bool OpenTextFile(const std::string& path) override;
  void OpenAddress(std::uintptr_t owner, const std::string& address) override;
};

}  // namespace vistrel::win32
