// The end-to-end driver's tools: start and watch Vistrel.exe, find its windows and boxes, press
// keys and buttons with SendInput, read pixels off the screen and settings out of the registry.
// Plain Win32, so that the same driver runs under Wine and on Windows. Every wait polls for its
// condition with a deadline; nothing sleeps for a fixed time and hopes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <source_location>
#include <string>
#include <vector>

namespace e2e {

// A failed check fails the running test with this message and ends it, also from within a
// helper (where Google Test's ASSERT macros would end only the helper).
void Check(bool condition, const std::string& what,
           std::source_location where = std::source_location::current());

// Polls the condition (handling the driver's own window messages meanwhile) until it holds or
// the time is up.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);
// Handles the driver's own messages for a while: only for checking that something does NOT
// happen, which has no condition to poll for.
void Settle(DWORD ms);

// Set by main: where Vistrel.exe lies.
extern std::string g_exePath;
std::string DirectoryOf(const std::string& path);

// One run of Vistrel.exe. The destructor makes sure it has ended (closing it like a user would,
// killing it only if that fails) and records a crash, which fails the whole run.
class Vistrel {
 public:
  explicit Vistrel(const std::string& arguments = "", const std::string& exe = g_exePath);
  ~Vistrel();
  Vistrel(const Vistrel&) = delete;
  Vistrel& operator=(const Vistrel&) = delete;

  DWORD Pid() const { return process_.dwProcessId; }
  // The main window once it is visible.
  HWND WaitForMainWindow();
  HWND Main() const { return main_; }
  HWND Pichook() const;
  // A top-level window of this process with the class (and caption, if given).
  HWND FindWindowOf(const char* className, const char* caption = nullptr) const;
  HWND WaitForWindowOf(const char* className, const char* caption = nullptr,
                       DWORD timeoutMs = 10000) const;
  bool Running() const;
  // Waits for the process to end; returns its exit code, or nothing if it is still running.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs = 10000);
  // CPU time the process has used so far, in seconds.
  double CpuSeconds() const;
  // Sends the tray's callback message 512 with a mouse message number to pichook.
  void TrayNotify(UINT mouseMessage) const;

 private:
  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
  bool exited_ = false;
};

// Crashes seen by any Vistrel destructor (they fail the run even if the case passed).
extern int g_crashes;

// Texts of a dialog's static controls, joined by newlines, and its buttons' captions.
std::string StaticTexts(HWND dialog);
HWND FindChild(HWND parent, const char* className, const char* text);
// Presses the message box's OK button the way its keyboard would: IDOK to the box.
void PressOk(HWND box);

// Keyboard and mouse through SendInput, as hardware input.
void KeyChord(std::initializer_list<WORD> keys);
void Key(WORD vk);
void MoveCursor(int x, int y);
void ClickAt(int x, int y, bool right = false);

// The main window's client area as the screen shows it, 0x00RRGGBB per pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y * width + x)]; }
  // Length of the longest run of the colour along row y.
  int RunLength(int y, std::uint32_t colour) const;
};
Picture CaptureClient(HWND window);
POINT ClientOrigin(HWND window);

// A window's DPI awareness: 0 unaware, 1 system, 2 per-monitor; -1 before Windows 10 1607.
int DpiAwareness(HWND window);
// While this lives, Vistrel.exe starts with this system DPI under Wine, which reads LogPixels
// as a process starts (Windows only at the next logon).
class SystemDpi {
 public:
  explicit SystemDpi(DWORD dpi);
  ~SystemDpi();

 private:
  bool set_ = false;
};

// The settings key HKEY_CURRENT_USER\Software\Tarnwell\Vistrel.
void ClearSettings();
void PutSetting(const char* name, const char* text);
std::optional<std::string> GetSetting(const char* name);

}  // namespace e2e
