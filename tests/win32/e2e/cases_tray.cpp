// The tray icon's notifications (posted to pichook as the shell would send them), commands
// chosen from the popup menu by their access keys, the About dialog and the Help command.
// Under Wine another process cannot read a popup menu's items, so the cases check what each
// command does rather than what the menu shows.
// clang-format off
#include <windows.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <string>

#include "cases.h"

namespace e2e {

class Tray : public VistrelCase {};

namespace {

constexpr const char* kDialogClass = "#32770";

void ChooseFromTrayMenu(const Vistrel& vistrel, WORD accessKey) {
  OpenTrayMenu(vistrel);
  Key(accessKey);
}

// Waits until the About dialog's OK button has the keyboard focus, as it should once the dialog
// is up; keys pressed before that would go elsewhere.
bool OkHasTheFocus(HWND about) {
  HWND ok = FindChild(about, "Button", "&Ok");
  if (!ok) return false;
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  const DWORD thread = GetWindowThreadProcessId(about, nullptr);
  return WaitFor([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == ok; }, 5000);
}

// Whether the notification area holds the program's icon: a modification that changes nothing
// succeeds only for an icon that is there.
bool TrayIconPresent(HWND pichook) {
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = pichook;
  data.uID = 1;
  return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

// Tray icon: added at start, back when the tray host returns, gone at close.
TEST_F(Tray, TrayIconComesBackWithTheTrayHost) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  HWND hook = vistrel.Pichook();
  Check(TrayIconPresent(hook), "start-up added the tray icon");
  // What a restarted tray host looks like to the program: its icon is gone and the host
  // announces itself with the TaskbarCreated message to every top-level window.
  NOTIFYICONDATAA data{};
  data.cbSize = NOTIFYICONDATAA_V1_SIZE;
  data.hWnd = hook;
  data.uID = 1;
  Shell_NotifyIconA(NIM_DELETE, &data);
  Check(!TrayIconPresent(hook), "the icon was taken away");
  PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  Check(WaitFor([&] { return TrayIconPresent(hook); }), "the icon came back with the tray host");
  PostMessageA(main, WM_CLOSE, 0, 0);
  Check(vistrel.WaitForExit() == 0u, "closed normally");
  Check(!TrayIconPresent(hook), "closing removed the icon");
}

// Tray: Hide from the menu, double click shows, other clicks do nothing, Exit.
TEST_F(Tray, TrayShowHideAndExit) {
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ChooseFromTrayMenu(vistrel, 'D');  // Hi&de
  Check(WaitFor([&] { return !IsWindowVisible(main); }), "Hide hid the window");
  // A single click, a right-button press and mere movement over the icon do nothing.
  for (UINT message : {WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN}) {
    vistrel.TrayNotify(message);
  }
  Settle(300);
  Check(!IsWindowVisible(main) && !vistrel.FindWindowOf("#32768"),
        "other tray notifications neither show the window nor open the menu");
  vistrel.TrayNotify(WM_LBUTTONDBLCLK);
  Check(WaitFor([&] { return IsWindowVisible(main) != FALSE; }),
        "a double click on the icon showed the window");
  ChooseFromTrayMenu(vistrel, 'X');  // E&xit
  const auto code = vistrel.WaitForExit();
  Check(code.has_value(), "Exit ended the program");
  Check(*code == 0, "Exit ended the program normally");
  Check(GetSetting("Left").has_value() && GetSetting("OnTop") == "False",
        "Exit saved the settings");
}

// Tray menu: Zoom In and Zoom Out chosen by their access keys.
TEST_F(Tray, TrayMenuZoomIn) {
  ClearSettings();
  const POINT centre = g_pattern->Centre();
  MoveCursor(centre.x, centre.y);
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ExpectPicture(main, "square at zoom 2",
                [](const Picture& p) { return SquareRun(p) >= 39 && SquareRun(p) <= 41; });
  ChooseFromTrayMenu(vistrel, 'I');  // Zoom &In
  ExpectPicture(main, "Zoom In from the menu gives zoom 3",
                [](const Picture& p) { return SquareRun(p) >= 58 && SquareRun(p) <= 62; });
  ChooseFromTrayMenu(vistrel, 'O');  // Zoom &Out
  ExpectPicture(main, "Zoom Out from the menu gives zoom 2 again",
                [](const Picture& p) { return SquareRun(p) >= 39 && SquareRun(p) <= 41; });
}

class AboutDialog : public Tray, public testing::WithParamInterface<DWORD> {};

// About: labels, layout, OK focused, Escape ignored, Enter closes; at a system DPI of 96 and
// 144, system-DPI aware, so that Windows stretches it on a monitor of another DPI. The driver is
// DPI unaware: it sees such a window scaled to 96 DPI.
TEST_P(AboutDialog, Opens) {
  if (GetParam() != 96 && !GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
    GTEST_SKIP() << "Windows takes a new system DPI at the next logon";
  ClearSettings();
  const SystemDpi dpi(GetParam());
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ChooseFromTrayMenu(vistrel, 'A');  // &About
  HWND about = vistrel.WaitForWindowOf(kDialogClass, "About");
  Check(about != nullptr, "the About dialog opened");
  const std::string texts = StaticTexts(about);
  Check(FindChild(about, "Static", "Vistrel") != nullptr, "title label reads Vistrel");
  Check(FindChild(about, "Static", "Version 1.0.5") != nullptr,
        "version label reads Version 1.0.5; labels: " + texts);
  Check(texts.find("Copyright (c) ") != std::string::npos, "copyright label is filled");
  Check(FindChild(about, "Static", "https://tarnwell.example/vistrel/") != nullptr,
        "the link shows the homepage");
  Check(GetWindowLongA(about, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, "About is a tool window");
  RECT client{};
  GetClientRect(main, &client);
  Check(client.right == MulDiv(220, GetParam(), 96), "Vistrel runs at the system DPI");
  GetClientRect(about, &client);
  Check(client.right == 220 && client.bottom == 293, "About's client area is 220 x 293");
  Check(DpiAwareness(about) == 1 || DpiAwareness(about) == -1, "About is system-DPI aware");
  Check(OkHasTheFocus(about), "OK has the focus when the dialog opens");
  Key(VK_ESCAPE);
  Settle(300);
  Check(IsWindow(about) && IsWindowVisible(about), "Escape does not close the dialog");
  Key(VK_RETURN);
  Check(WaitFor([&] { return !IsWindow(about); }), "Enter pressed OK and closed the dialog");
  Check(IsWindowVisible(main) != FALSE, "the main window is shown after OK");
}

INSTANTIATE_TEST_SUITE_P(Dpi, AboutDialog, testing::Values(96, 144));

// Tray menu closes on a click elsewhere and on Escape.
TEST_F(Tray, MenuClosesLikeAnyMenu) {
  // The program makes itself the foreground window before the menu opens and posts a message
  // after it closes; without that the menu would neither take keys nor close on a click
  // elsewhere.
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  OpenTrayMenu(vistrel);
  ClickAt(g_pattern->Width() - 100, g_pattern->Height() - 100);
  Check(WaitFor([&] { return vistrel.FindWindowOf("#32768") == nullptr; }),
        "a click elsewhere closed the menu");
  // The next menu opens at the cursor: away from the click, so that the click's release, which
  // may still be on its way, does not land on an item of the new menu.
  const POINT centre = g_pattern->Centre();
  MoveCursor(centre.x, centre.y);
  OpenTrayMenu(vistrel, "after a click elsewhere closed it");
  Key(VK_ESCAPE);
  Check(WaitFor([&] { return vistrel.FindWindowOf("#32768") == nullptr; }),
        "Escape closed the menu");
  Check(IsWindowVisible(main) != FALSE && vistrel.Running(), "nothing was chosen");
  // The tray handler is free again: the next right click opens the menu once more.
  OpenTrayMenu(vistrel, "after Escape closed it");
  Key(VK_ESCAPE);
}

// About while always on top hides the window until OK.
TEST_F(Tray, AboutWhileOnTop) {
  ClearSettings();
  PutSetting("OnTop", "True");
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ChooseFromTrayMenu(vistrel, 'A');
  HWND about = vistrel.WaitForWindowOf(kDialogClass, "About");
  Check(about != nullptr, "the About dialog opened");
  Check(!IsWindowVisible(main), "opening About hid the topmost main window");
  Check(OkHasTheFocus(about), "OK has the focus");
  Key(VK_RETURN);
  Check(WaitFor([&] { return !IsWindow(about) && IsWindowVisible(main); }),
        "OK closed the dialog and showed the main window again");
}

// About's link minimises the window; the next About restores it.
TEST_F(Tray, AboutLinkMinimisesTheWindow) {
  // The test prefix has no browser (winebrowser is disabled): the address goes nowhere, and the
  // program goes on as if it had been opened.
  ClearSettings();
  Vistrel vistrel;
  HWND main = vistrel.WaitForMainWindow();
  ChooseFromTrayMenu(vistrel, 'A');
  HWND about = vistrel.WaitForWindowOf(kDialogClass, "About");
  Check(about != nullptr, "the About dialog opened");
  HWND link = FindChild(about, "Static", "https://tarnwell.example/vistrel/");
  Check(link != nullptr, "the link label exists");
  Check(OkHasTheFocus(about), "the dialog is up before its link is clicked");
  RECT r{};
  GetWindowRect(link, &r);
  ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Check(WaitFor([&] { return !IsWindow(about); }), "the link closed the dialog");
  Check(WaitFor([&] { return IsIconic(main) != FALSE; }), "the link minimised the main window");
  // A double click on the icon leaves it minimised; the next About restores it.
  vistrel.TrayNotify(WM_LBUTTONDBLCLK);
  Settle(300);
  Check(IsIconic(main) != FALSE, "a double click on the icon leaves it minimised");
  ChooseFromTrayMenu(vistrel, 'A');
  about = vistrel.WaitForWindowOf(kDialogClass, "About");
  Check(about != nullptr, "About opened again");
  Check(!IsIconic(main), "About restored the main window");
  Check(OkHasTheFocus(about), "OK has the focus");
  Key(VK_RETURN);
  Check(WaitFor([&] { return !IsWindow(about); }), "OK closed the dialog");
}

std::string NotepadTitle() {
  HWND notepad = FindWindowA("Notepad", nullptr);
  if (!notepad) return {};
  char title[512] = {};
  GetWindowTextA(notepad, title, sizeof title);
  return title;
}

void CloseNotepads() {
  while (HWND notepad = FindWindowA("Notepad", nullptr)) {
    PostMessageA(notepad, WM_CLOSE, 0, 0);
    if (!WaitFor([&] { return !IsWindow(notepad); }, 5000)) break;
  }
}

// Help opens readme.txt in Notepad.
TEST_F(Tray, HelpOpensTheReadmeInNotepad) {
  ClearSettings();
  CloseNotepads();
  Vistrel vistrel;
  vistrel.WaitForMainWindow();
  ChooseFromTrayMenu(vistrel, 'H');  // &Help
  Check(WaitFor([&] { return NotepadTitle().find("readme") != std::string::npos; }),
        "Notepad opened readme.txt (title \"" + NotepadTitle() + "\")");
  CloseNotepads();
}

// Help without readme.txt shows the Info box.
TEST_F(Tray, HelpWithoutReadme) {
  // A copy of the program in a directory with a space in its name and no readme.txt beside it.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string dir = std::string(temp) + "vistrel e2e";
  CreateDirectoryA(dir.c_str(), nullptr);
  const std::string exe = dir + "\\Vistrel.exe";
  const std::string readme = dir + "\\readme.txt";
  DeleteFileA(readme.c_str());
  Check(CopyFileA(g_exePath.c_str(), exe.c_str(), FALSE) != FALSE, "copied Vistrel.exe");
  ClearSettings();
  {
    Vistrel vistrel("", exe);
    vistrel.WaitForMainWindow();
    ChooseFromTrayMenu(vistrel, 'H');
    HWND box = vistrel.WaitForWindowOf(kDialogClass, "Info");
    Check(box != nullptr, "the Info box appeared");
    Check(StaticTexts(box) == "The Vistrel readme.txt seems to be missing...",
          "Info box text: " + StaticTexts(box));
    Check(FindChild(box, "Button", nullptr) != nullptr &&
              FindChild(box, "Button", "&Cancel") == nullptr,
          "Info box has an OK button only");
    PressOk(box);
    Check(WaitFor([&] { return !IsWindow(box); }), "OK closed the Info box");
    Check(vistrel.Running(), "the program runs on after the Info box");
  }
  DeleteFileA(exe.c_str());
  RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace e2e
