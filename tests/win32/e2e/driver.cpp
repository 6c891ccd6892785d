#include "driver.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace e2e {

std::string g_exePath;
int g_crashes = 0;

namespace {
constexpr const char* kMainClass = "VistrelMagnifier";
constexpr const char* kPichookClass = "VistrelPichook";
constexpr const char* kSettingsKey = "Software\\Tarnwell\\Vistrel";
constexpr const char* kDesktopKey = "Control Panel\\Desktop";
constexpr const char* kLogPixels = "LogPixels";

void PumpOwnMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

struct FindData {
  DWORD pid;
  const char* className;
  const char* caption;
  HWND found;
};

BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
  auto* data = reinterpret_cast<FindData*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != data->pid) return TRUE;
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (lstrcmpA(cls, data->className) != 0) return TRUE;
  if (data->caption) {
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    if (lstrcmpA(text, data->caption) != 0) return TRUE;
  }
  if (!IsWindowVisible(hwnd)) return TRUE;
  data->found = hwnd;
  return FALSE;
}

void SendInputs(std::vector<INPUT>& inputs) {
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

}  // namespace

void Check(bool condition, const std::string& what, std::source_location where) {
  if (condition) return;
  ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line())) << what;
  // Google Test takes this exception as the end of a test whose failure was reported already.
  throw testing::AssertionException(
      testing::TestPartResult(testing::TestPartResult::kFatalFailure, where.file_name(),
                              static_cast<int>(where.line()), what.c_str()));
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    PumpOwnMessages();
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

void Settle(DWORD ms) {
  WaitFor([] { return false; }, ms);
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

Vistrel::Vistrel(const std::string& arguments, const std::string& exe) {
  std::string command = "\"" + exe + "\"";
  if (!arguments.empty()) command += " " + arguments;
  std::vector<char> buffer(command.begin(), command.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  const std::string dir = DirectoryOf(exe);
  Check(CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(),
                       &startup, &process_) != FALSE,
        "could not start " + exe);
}

Vistrel::~Vistrel() {
  if (Running() && main_ && IsWindow(main_)) PostMessageA(main_, WM_CLOSE, 0, 0);
  std::optional<DWORD> code = WaitForExit(10000);
  if (!code) {
    std::printf("  note: Vistrel did not end by its close; terminated\n");
    TerminateProcess(process_.hProcess, 1);
    WaitForSingleObject(process_.hProcess, 5000);
  } else if (*code != 0) {
    std::printf("  CRASH: Vistrel ended with exit code 0x%08lX\n", *code);
    ++g_crashes;
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

bool Vistrel::Running() const {
  return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Vistrel::WaitForExit(DWORD timeoutMs) {
  const bool ended = WaitFor([&] { return !Running(); }, timeoutMs);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_.hProcess, &code);
  exited_ = true;
  return code;
}

double Vistrel::CpuSeconds() const {
  FILETIME created, ended, kernel, user;
  if (!GetProcessTimes(process_.hProcess, &created, &ended, &kernel, &user)) return 0;
  const auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) /
           1e7;
  };
  return seconds(kernel) + seconds(user);
}

HWND Vistrel::FindWindowOf(const char* className, const char* caption) const {
  FindData data{Pid(), className, caption, nullptr};
  EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&data));
  return data.found;
}

HWND Vistrel::WaitForWindowOf(const char* className, const char* caption, DWORD timeoutMs) const {
  HWND found = nullptr;
  WaitFor([&] { return (found = FindWindowOf(className, caption)) != nullptr; }, timeoutMs);
  return found;
}

HWND Vistrel::WaitForMainWindow() {
  main_ = WaitForWindowOf(kMainClass, "Vistrel");
  Check(main_ != nullptr, "the main window did not appear");
  return main_;
}

HWND Vistrel::Pichook() const {
  return FindWindowExA(main_, nullptr, kPichookClass, nullptr);
}

void Vistrel::TrayNotify(UINT mouseMessage) const {
  HWND hook = Pichook();
  Check(hook != nullptr, "pichook not found");
  PostMessageA(hook, 512, 1, static_cast<LPARAM>(mouseMessage));
}

HWND FindChild(HWND parent, const char* className, const char* text) {
  HWND child = nullptr;
  while ((child = FindWindowExA(parent, child, className, nullptr)) != nullptr) {
    char buffer[256] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    if (!text || lstrcmpA(buffer, text) == 0) return child;
  }
  return nullptr;
}

std::string StaticTexts(HWND dialog) {
  std::string texts;
  HWND child = nullptr;
  while ((child = FindWindowExA(dialog, child, "Static", nullptr)) != nullptr) {
    char buffer[1024] = {};
    GetWindowTextA(child, buffer, sizeof buffer);
    if (!buffer[0]) continue;
    if (!texts.empty()) texts += '\n';
    texts += buffer;
  }
  return texts;
}

void PressOk(HWND box) {
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void KeyChord(std::initializer_list<WORD> keys) {
  std::vector<INPUT> inputs;
  for (WORD vk : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    inputs.push_back(in);
  }
  for (auto it = keys.end(); it != keys.begin();) {
    --it;
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = *it;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyA(*it, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInputs(inputs);
}

void Key(WORD vk) {
  KeyChord({vk});
}

void MoveCursor(int x, int y) {
  SetCursorPos(x, y);
  WaitFor(
      [&] {
        POINT p;
        GetCursorPos(&p);
        return p.x == x && p.y == y;
      },
      2000);
}

void ClickAt(int x, int y, bool right) {
  MoveCursor(x, y);
  std::vector<INPUT> inputs(2);
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInputs(inputs);
}

POINT ClientOrigin(HWND window) {
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

Picture CaptureClient(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  const POINT origin = ClientOrigin(window);
  Picture picture;
  picture.width = client.right;
  picture.height = client.bottom;
  if (picture.width <= 0 || picture.height <= 0) return picture;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top-down rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, picture.width, picture.height, screen, origin.x, origin.y, SRCCOPY);
  GdiFlush();
  const auto* p = static_cast<const std::uint32_t*>(bits);
  picture.pixels.assign(p, p + picture.width * picture.height);
  for (auto& px : picture.pixels) px &= 0xFFFFFF;
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return picture;
}

int Picture::RunLength(int y, std::uint32_t colour) const {
  int best = 0;
  int run = 0;
  for (int x = 0; x < width; ++x) {
    run = At(x, y) == colour ? run + 1 : 0;
    if (run > best) best = run;
  }
  return best;
}

int DpiAwareness(HWND window) {
  const HMODULE user32 = GetModuleHandleA("user32.dll");
  const auto context = reinterpret_cast<HANDLE(WINAPI*)(HWND)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetWindowDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<int(WINAPI*)(HANDLE)>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  return context && awareness ? awareness(context(window)) : -1;
}

SystemDpi::SystemDpi(DWORD dpi) {
  if (dpi == 96) return;
  set_ = RegSetKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels, REG_DWORD, &dpi, sizeof dpi) ==
         ERROR_SUCCESS;
}

SystemDpi::~SystemDpi() {
  // A fresh prefix has no value: 96.
  if (set_) RegDeleteKeyValueA(HKEY_CURRENT_USER, kDesktopKey, kLogPixels);
}

void ClearSettings() {
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Tarnwell");
}

void PutSetting(const char* name, const char* text) {
  HKEY key = nullptr;
  Check(RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) == ERROR_SUCCESS,
        "cannot create the settings key");
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(lstrlenA(text) + 1));
  RegCloseKey(key);
}

std::optional<std::string> GetSetting(const char* name) {
  char data[512] = {};
  DWORD size = sizeof data;
  if (RegGetValueA(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::string(data);
}

}  // namespace e2e
