#include "launcher_win.h"

#include <vector>

#include "win32_api.h"

namespace vistrel::win32 {

std::string TextViewerCommandLine(const std::string& path) {
  return "notepad.exe " + path;
}

bool WinLauncher::OpenTextFile(const std::string& path) {
  // CreateProcessA may write into the command line, so it gets its own buffer. No shell parses
  // it: Notepad takes everything after its name as the file, spaces and all.
  const std::string command = TextViewerCommandLine(path);
  std::vector<char> buffer(command.begin(), command.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

void WinLauncher::OpenAddress(std::uintptr_t owner, const std::string& address) {
  ShellExecuteA(reinterpret_cast<HWND>(owner), nullptr, address.c_str(), nullptr, "c:\\",
                SW_SHOWNORMAL);
}

}  // namespace vistrel::win32
