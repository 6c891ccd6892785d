// Start and end: settings written at every kind of close and applied at the next start, the
// second copy's box, and the command value that is not a number.
#include <string>

#include "cases.h"

namespace e2e {

class Lifecycle : public VistrelCase {};

namespace {

constexpr const char* kDialogClass = "#32770";

void MoveMainWindow(HWND main, int x, int y, int width, int height) {
  SetWindowPos(main, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
  Check(WaitFor([&] {
          RECT r{};
          GetWindowRect(main, &r);
          return r.left == x && r.top == y && r.right - r.left == width &&
                 r.bottom - r.top == height;
        }),
        "the window moved");
}

std::string Setting(const char* name) {
  return GetSetting(name).value_or("(missing)");
}

void ExpectSetting(const char* name, const char* expected) {
  const std::string value = Setting(name);
  Check(value == expected,
        std::string(name) + " = \"" + value + "\", expected \"" + expected + "\"");
}

// Settings are written when the close button closes.
TEST_F(Lifecycle, SettingsWrittenOnClose) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  MoveMainWindow(main, 100, 50, 300, 200);
  OpenTrayMenu(vistrel);
  Key('T');  // Always on &Top
  Check(WaitFor([&] { return (GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }),
        "Always on Top made the window topmost");
  PostMessageA(main, WM_CLOSE, 0, 0);
  const auto code = vistrel.WaitForExit();
  Check(code == 0u, "the close button ended the program normally");
  ExpectSetting("Left", "1500");
  ExpectSetting("Top", "750");
  ExpectSetting("Width", "4500");
  ExpectSetting("Height", "3000");
  ExpectSetting("OnTop", "True");
  ExpectSetting("Keep1to1", "False");
  ExpectSetting("RefreshHigh", "False");
  ExpectSetting("RefreshAlways", "False");
}

// Settings are applied at the next start.
TEST_F(Lifecycle, SettingsAppliedAtStart) {
  ClearSettings();
  PutSetting("Left", "1500");
  PutSetting("Top", "  750");
  PutSetting("Width", "4500");
  PutSetting("Height", "3000");
  PutSetting("OnTop", "True");
  PutSetting("Keep1to1", "true");
  PutSetting("RefreshHigh", "yes");
  const POINT centre = g_pattern->Centre();
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  RECT r{};
  GetWindowRect(main, &r);
  Check(r.left == 100 && r.top == 50 && r.right == 400 && r.bottom == 250,
        "the window opened where the settings put it");
  Check(GetWindowLongA(main, GWL_EXSTYLE) & WS_EX_TOPMOST, "OnTop made it topmost");
  // Keep 1/1: zoom 1, the square at its own size.
  ExpectPicture(main, "Keep1to1 starts at zoom 1",
                [](const Picture& p) { return SquareRun(p) >= 19 && SquareRun(p) <= 21; });
  PostMessageA(main, WM_CLOSE, 0, 0);
  Check(vistrel.WaitForExit() == 0u, "closed normally");
  ExpectSetting("Keep1to1", "True");
  ExpectSetting("RefreshHigh", "False");  // "yes" was no Boolean: the default stayed
  ExpectSetting("Top", "750");
}

// The end of the session as the system announces it to every top-level window.
void EndTheSession(Vistrel& vistrel, HWND main) {
  DWORD_PTR answer = 0;
  SendMessageTimeoutA(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  Check(answer == TRUE, "the program agrees to the end of the session");
  Check(vistrel.Running(), "the query alone does not end the program");
  SendMessageTimeoutA(main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
  Check(vistrel.WaitForExit() == 0u, "the end of the session ended the program");
}

// Log-off saves the settings like any close.
TEST_F(Lifecycle, LogOffSavesTheSettings) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  MoveMainWindow(main, 60, 40, 250, 220);
  EndTheSession(vistrel, main);
  ExpectSetting("Left", "900");
  ExpectSetting("Top", "600");
  ExpectSetting("Width", "3750");
  ExpectSetting("Height", "3300");
}

// Log-off with the About dialog open saves them too.
TEST_F(Lifecycle, LogOffWithTheAboutDialogOpen) {
  // The main window is disabled under the modal dialog; the session's end still reaches it.
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  MoveMainWindow(main, 60, 40, 250, 220);
  OpenTrayMenu(vistrel);
  Key('A');
  Check(vistrel.WaitForWindowOf("#32770", "About") != nullptr, "the About dialog opened");
  EndTheSession(vistrel, main);
  ExpectSetting("Left", "900");
  ExpectSetting("OnTop", "False");
}

// A close while minimised stores the normal place and size.
TEST_F(Lifecycle, CloseWhileMinimisedStoresTheNormalPlace) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  MoveMainWindow(main, 80, 70, 260, 210);
  PostMessageA(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  Check(WaitFor([&] { return IsIconic(main) != FALSE; }), "the window was minimised");
  PostMessageA(main, WM_CLOSE, 0, 0);
  Check(vistrel.WaitForExit() == 0u, "closed normally");
  ExpectSetting("Left", "1200");
  ExpectSetting("Top", "1050");
  ExpectSetting("Width", "3900");
  ExpectSetting("Height", "3150");
}

// A place past the left edge is stored and restored.
TEST_F(Lifecycle, PlacePastTheLeftEdgeComesBack) {
  ClearSettings();
  PutSetting("Left", "-300");
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  RECT r{};
  GetWindowRect(main, &r);
  Check(r.left == -20, "Left -300 twips puts the window 20 pixels past the left edge");
  PostMessageA(main, WM_CLOSE, 0, 0);
  Check(vistrel.WaitForExit() == 0u, "closed normally");
  ExpectSetting("Left", "-300");
}

RECT WorkAreaOf(HWND window) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  GetMonitorInfoA(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
  return info.rcWork;
}

// Places no screen shows come back onto it.
TEST_F(Lifecycle, PlacesNoScreenShowsComeBack) {
  struct Stored {
    const char* what;
    const char* left;
    const char* top;
    const char* width;
    const char* height;
  };
  const Stored cases[] = {{"huge", "-1E+30", "1E+30", "1E+30", "3.4E+38"},
                          {"negative sizes", "1E+30", "-1E+30", "-1E+30", "-3.4E+38"},
                          {"on a monitor that is gone", "22500", "1500", nullptr, nullptr}};
  for (const Stored& c : cases) {
    const std::string what = c.what;
    ClearSettings();
    PutSetting("Left", c.left);
    PutSetting("Top", c.top);
    if (c.width) PutSetting("Width", c.width);
    if (c.height) PutSetting("Height", c.height);
    Vistrel vistrel;
    HWND main = vistrel.WaitForMainWindow();
    RECT r{}, client{};
    GetWindowRect(main, &r);
    GetClientRect(main, &client);
    const RECT w = WorkAreaOf(main);
    Check(r.left >= w.left && r.top >= w.top && r.right <= w.right && r.bottom <= w.bottom,
          what + ": the window lies wholly on the screen");
    // Sizes beyond the desktop keep the designed ones (they were reduced to the work area before).
    Check(client.right == 220 && client.bottom == 165, what + ": the designed size");
    if (what == "huge") {
      Check(r.left == w.left && r.bottom == w.bottom,
            what + ": moved just far enough onto the screen");
    } else {
      Check(r.right == w.right && r.top == (c.width ? w.top : 100),
            what + ": moved just far enough onto the screen");
    }
    PostMessageA(main, WM_CLOSE, 0, 0);
    Check(vistrel.WaitForExit() == 0u, what + ": closed normally");
  }
}

// A second copy shows the already-running box and ends.
TEST_F(Lifecycle, SecondCopyIsRefused) {
  ClearSettings();
  Vistrel first;
  first.WaitForMainWindow();
  Vistrel second;
  HWND box = second.WaitForWindowOf(kDialogClass, "Vistrel");
  Check(box != nullptr, "the second copy shows its box");
  const std::string expected =
      "Vistrel is already running.\r\nTo view its popupmenu, rightclick on the Vistrel icon\r\n"
      "in the system tray (on the taskbar, next to the clock).";
  Check(StaticTexts(box) == expected, "already-running text: " + StaticTexts(box));
  Check(second.FindWindowOf("VistrelMagnifier") == nullptr, "the second copy made no window");
  PressOk(box);
  Check(second.WaitForExit() == 0u, "the second copy ended after OK");
  Check(first.Running(), "the first copy runs on");
}

// Command value abc: Oops... box, program quits, settings kept.
TEST_F(Lifecycle, CommandValueNotANumber) {
  ClearSettings();
  Vistrel vistrel("abc");
  HWND main = vistrel.WaitForMainWindow();
  MoveMainWindow(main, 120, 90, 240, 200);
  KeyChord({VK_MENU, 'V'});  // Freeze and Lock reads the command value after its first second
  HWND box = vistrel.WaitForWindowOf(kDialogClass, "Oops...");
  Check(box != nullptr, "Alt + V with the value abc shows the Oops... box");
  const std::string expected =
      "The optional command value must be nummeric (see the Vistrel readme.txt at COMMANDS).\r\n"
      "Vistrel will quit now...";
  Check(StaticTexts(box) == expected, "Oops text: " + StaticTexts(box));
  PressOk(box);
  Check(vistrel.WaitForExit() == 0u, "the program quit after OK");
  ExpectSetting("Left", "1800");
  ExpectSetting("Top", "1350");
}

}  // namespace
}  // namespace e2e
