// The main window as created, the magnified picture against the known pattern, zoom clicks,
// the hot keys, and the version resource.
#include <cstdio>
#include <vector>

#include "app/identity.h"
#include "cases.h"

namespace e2e {

class Window : public VistrelCase {};

namespace {

bool Near(int value, int expected, int tolerance) {
  return value >= expected - tolerance && value <= expected + tolerance;
}

// Main window: sizable tool window, close only, 220 x 165 at (205, 209).
TEST_F(Window, WindowAsDesigned) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  const LONG style = GetWindowLongA(main, GWL_STYLE);
  const LONG exStyle = GetWindowLongA(main, GWL_EXSTYLE);
  Check((style & WS_CAPTION) == WS_CAPTION, "has a title bar");
  Check(style & WS_SYSMENU, "has a close button");
  Check(style & WS_THICKFRAME, "is sizable");
  Check(!(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)), "has no minimise or maximise button");
  Check(exStyle & WS_EX_TOOLWINDOW, "is a tool window (no taskbar button)");
  Check(!(exStyle & WS_EX_APPWINDOW), "does not ask for a taskbar button");
  Check(!(exStyle & WS_EX_TOPMOST), "is not topmost without the setting");
  Check(GetWindow(main, GW_OWNER) == nullptr, "has no owner");
  Check(GetMenu(main) == nullptr, "has no menu bar");
  // Per-monitor aware (Wine tells no v2 from v1; Windows before 10 1607 lacks the calls).
  const int awareness = DpiAwareness(main);
  Check(awareness == -1 || awareness == 2, "is per-monitor DPI aware");
  RECT client{};
  GetClientRect(main, &client);
  Check(client.right == 220 && client.bottom == 165, "client area is 220 x 165");
  const POINT origin = ClientOrigin(main);
  Check(origin.x == 205 && origin.y == 209, "client area starts at (205, 209)");
  Check(vistrel.Pichook() != nullptr && !IsWindowVisible(vistrel.Pichook()),
        "has the hidden pichook window");
  HKEY key = nullptr;
  Check(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwell\\Vistrel", 0, KEY_READ, &key) ==
            ERROR_SUCCESS,
        "start-up created the settings key");
  RegCloseKey(key);
}

// Picture follows the cursor, clamps at the edges, zooms by clicks.
TEST_F(Window, PictureFollowsTheCursor) {
  ClearSettings();
  const POINT centre = g_pattern->Centre();
  const int w = g_pattern->Width();
  const int h = g_pattern->Height();
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  // Zoom 2: the 20-pixel square is 40 pixels wide, centred in the 220-pixel view.
  ExpectPicture(main, "square at zoom 2 in the middle of the view", [](const Picture& p) {
    return Near(SquareRun(p), 40, 1) && p.At(110, 82) == kBlack && p.At(60, 82) == kWhite;
  });
  // Top right: the source ends at the screen's right edge and starts at its top.
  MoveCursor(w - 4, 5);
  ExpectPicture(main, "top right corner clamped to the screen", [](const Picture& p) {
    return p.At(215, 80) == kBlue && p.At(205, 80) == kWhite && p.At(100, 3) == kGreen &&
           p.At(100, 80) == kWhite;
  });
  // Bottom left: the source starts at the left edge and ends at the bottom.
  MoveCursor(3, h - 3);
  ExpectPicture(main, "bottom left corner clamped to the screen", [](const Picture& p) {
    return p.At(4, 80) == kRed && p.At(14, 80) == kWhite && p.At(100, 161) == kYellow &&
           p.At(100, 80) == kWhite;
  });
  // A left click on the view zooms in, a right click zooms out.
  const POINT origin = ClientOrigin(main);
  ClickAt(origin.x + 110, origin.y + 82);
  MoveCursor(centre.x, centre.y);
  ExpectPicture(main, "square at zoom 3 after a left click",
                [](const Picture& p) { return Near(SquareRun(p), 60, 2); });
  ClickAt(origin.x + 110, origin.y + 82, true);
  MoveCursor(centre.x, centre.y);
  ExpectPicture(main, "square at zoom 2 after a right click",
                [](const Picture& p) { return Near(SquareRun(p), 40, 1); });
}

// Hot keys: Alt + Space freezes the view and releases it.
TEST_F(Window, HotKeysFreezeAndFollow) {
  // Under Wine a hot key fires for input that passes through Wine (SendInput, or keys typed
  // into a Wine window); keys typed into other X programs do not reach it. On Windows they are
  // global.
  ClearSettings();
  const POINT centre = g_pattern->Centre();
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ExpectPicture(main, "square before freezing",
                [](const Picture& p) { return Near(SquareRun(p), 40, 1); });
  KeyChord({VK_MENU, VK_SPACE});
  MoveCursor(300, 600);
  // Frozen: the view keeps showing the square's rectangle although the cursor left it.
  Settle(500);
  Check(Near(SquareRun(CaptureClient(main)), 40, 1), "Alt + Space froze the view on the square");
  KeyChord({VK_MENU, VK_SPACE});
  MoveCursor(301, 600);
  ExpectPicture(main, "Alt + Space again follows the cursor to the white area",
                [](const Picture& p) { return SquareRun(p) == 0 && p.At(110, 82) == kWhite; });
}

// Alt + V: Freeze and Lock holds the picture for the command value's seconds.
TEST_F(Window, FreezeAndLockHoldsThePicture) {
  // Started with 4: Alt + V freezes at once, stops the picture after one second for four
  // seconds, then the frozen view is live again. The square turns red during the hold, late
  // enough that a slow start of the sequence still has the picture stopped by then.
  ClearSettings();
  const POINT centre = g_pattern->Centre();
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel("4");
  HWND main = vistrel.WaitForMainWindow();
  ExpectPicture(main, "square before Alt + V",
                [](const Picture& p) { return Near(SquareRun(p), 40, 1); });
  struct Restore {
    ~Restore() { g_pattern->SetSquareColour(kBlack); }
  } restore;
  const ULONGLONG start = GetTickCount64();
  const auto since = [&] { return static_cast<double>(GetTickCount64() - start) / 1000.0; };
  KeyChord({VK_MENU, 'V'});
  WaitFor([&] { return since() >= 2.2; }, 4000);
  g_pattern->SetSquareColour(kRed);
  const double cpuBefore = vistrel.CpuSeconds();
  const double holdFrom = since();
  WaitFor([&] { return since() >= 3.2; }, 4000);
  Check(Near(SquareRun(CaptureClient(main)), 40, 1), "the picture stands still during the hold");
  ExpectPicture(
      main, "the frozen view is live again after the hold",
      [](const Picture& p) { return p.RunLength(p.height / 2, kRed) >= 39; }, 8000);
  const double heldUntil = since();
  Check(heldUntil >= 4.6, "the hold lasted the command value's seconds (ended after " +
                              std::to_string(heldUntil) + " s)");
  const double cpu = vistrel.CpuSeconds() - cpuBefore;
  Check(cpu < 0.5 * (heldUntil - holdFrom),
        "the hold waits without spinning (" + std::to_string(cpu) + " s CPU)");
  // It ends frozen with Freeze checked: the view stays on the square; Alt + Space releases it.
  MoveCursor(300, 600);
  Settle(300);
  Check(CaptureClient(main).RunLength(82, kRed) >= 39, "the view stays frozen after the hold");
  KeyChord({VK_MENU, VK_SPACE});
  MoveCursor(301, 600);
  ExpectPicture(main, "Alt + Space then follows the cursor",
                [](const Picture& p) { return p.At(110, 82) == kWhite; });
}

// A hot key held by another program: one box, and the program runs on.
TEST_F(Window, HotKeyHeldByAnotherProgram) {
  ClearSettings();
  // This driver holds Alt + V, as another program might.
  Check(RegisterHotKey(nullptr, 1, MOD_ALT, 'V') != FALSE, "the driver holds Alt + V");
  struct Release {
    ~Release() { UnregisterHotKey(nullptr, 1); }
  } release;
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  HWND box = vistrel.WaitForWindowOf("#32770", "Vistrel");
  Check(box != nullptr, "a box says that a hot key is taken");
  Check(StaticTexts(box) ==
            "The hot key Alt + V is already used by another program, so Vistrel can not use "
            "it.\r\nFreeze and Freeze and Lock still work from the menu of the tray icon.",
        "box text: " + StaticTexts(box));
  PressOk(box);
  Check(WaitFor([&] { return !IsWindow(box); }), "OK closed the box");
  Check(vistrel.Running() && IsWindowVisible(main), "the program runs on");
}

std::string VersionString(const std::vector<char>& info, const char* name) {
  char* value = nullptr;
  UINT length = 0;
  const std::string path = std::string("\\StringFileInfo\\040904B0\\") + name;
  if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length)) {
    return "(missing)";
  }
  return std::string(value);
}

// Icon, hand pointer and manifest are built in.
TEST_F(Window, PicturesAreBuiltIn) {
  HMODULE exe = LoadLibraryExA(g_exePath.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  Check(exe != nullptr, "Vistrel.exe opens as a resource module");
  const bool icon = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14)) != nullptr;
  const bool hand = FindResourceA(exe, MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(12)) != nullptr;
  const HRSRC manifest = FindResourceA(exe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  const std::string text =
      manifest ? std::string(static_cast<const char*>(LockResource(LoadResource(exe, manifest))),
                             SizeofResource(exe, manifest))
               : "";
  FreeLibrary(exe);
  Check(icon, "the magnifier icon is built in");
  Check(hand, "the hand pointer is built in");
  Check(manifest, "the manifest is built in");
  Check(text.find(">PerMonitorV2, PerMonitor<") != std::string::npos, "the manifest asks for v2");
}

// Version resource carries every field.
TEST_F(Window, VersionResource) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeA(g_exePath.c_str(), &handle);
  Check(size > 0, "Vistrel.exe has a version resource");
  std::vector<char> info(size);
  Check(GetFileVersionInfoA(g_exePath.c_str(), 0, size, info.data()) != FALSE,
        "the version resource can be read");
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  Check(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed,
        "fixed version information");
  Check(fixed->dwFileVersionMS == 0x00010000 && fixed->dwFileVersionLS == 0x00000005,
        "file version 1.0.0.5");
  Check(fixed->dwProductVersionMS == 0x00010000 && fixed->dwProductVersionLS == 0x00000005,
        "product version 1.0.0.5");
  WORD* translation = nullptr;
  Check(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length) &&
            length >= 4,
        "translation entry");
  Check(translation[0] == vistrel::identity::kLanguage &&
            translation[1] == vistrel::identity::kCodePage,
        "US English, Unicode");
  const struct {
    const char* name;
    std::string_view expected;
  } fields[] = {
      {"FileVersion", vistrel::identity::kFileVersionText},
      {"ProductVersion", vistrel::identity::kFileVersionText},
      {"FileDescription", vistrel::identity::kFileDescription},
      {"ProductName", vistrel::identity::kProductName},
      {"InternalName", vistrel::identity::kInternalName},
      {"OriginalFilename", vistrel::identity::kOriginalFilename},
      {"CompanyName", vistrel::identity::kCompanyName},
  };
  for (const auto& field : fields) {
    const std::string value = VersionString(info, field.name);
    Check(value == field.expected, std::string(field.name) + " is \"" + value + "\"");
  }
}

}  // namespace
}  // namespace e2e
