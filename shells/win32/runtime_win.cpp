#include "runtime_win.h"

#include <string>

#include "app/failure.h"
#include "win_text.h"

namespace vistrel::win32 {
namespace {
// The runtime's number for an unexpected failure inside a component.
constexpr std::int32_t kComponentFailure = 50003;

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = n ? std::string(text, n) : "System error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) {
    message.pop_back();
  }
  return message;
}
}  // namespace

bool WinRuntime::PreviousInstance() {
  // The mutex lives as long as the process; the first copy's handle is what a second one finds.
  instanceMutex_ = CreateMutexA(nullptr, FALSE, kInstanceMutexName);
  const DWORD error = GetLastError();
  if (!instanceMutex_) throw Failure(kComponentFailure, SystemMessage(error));
  return error == ERROR_ALREADY_EXISTS;
}

std::string WinRuntime::CommandLine() {
  return ArgumentsAfterProgramName(GetCommandLineA());
}

std::string WinRuntime::AppPath() {
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return DirectoryOfModule(path);
}

void WinRuntime::HideFromTaskList() {
  // Nothing to do: the main window is an ownerless tool window, which neither the taskbar nor
  // the task switcher lists, and the program has no other top-level window.
}

bool WinRuntime::CanOpenForReading(const std::string& path) {
  // Shared like the runtime's "open for input": only a file locked against reading, a
  // directory or a missing or malformed name fails.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

char WinRuntime::DecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) {
    return buffer[0];
  }
  return '.';
}

void WinRuntime::End() {
  ExitProcess(0);
}

}  // namespace vistrel::win32
