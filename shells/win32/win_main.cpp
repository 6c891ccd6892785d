// Vistrel.exe: builds the Win32 implementation of every platform interface, hands them to the
// core, and runs the message loop. The program ends only through the core (Runtime::End).
#include "about_view_win.h"
#include "app/frm_main.h"
#include "app/identity.h"
#include "clock_win.h"
#include "event_pump_win.h"
#include "hotkey/unavailable_message.h"
#include "hotkeys_win.h"
#include "launcher_win.h"
#include "main_window_win.h"
#include "message_box_win.h"
#include "registry_win.h"
#include "runtime_win.h"
#include "screen_win.h"
#include "tray_win.h"
#include "win32_api.h"
#include "win_text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace vistrel::win32;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  // ShellExecuteA may hand the homepage to a shell extension, which needs COM on this thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  const double twipsPerPixel = ScreenTwipsPerPixel();
  WinScreen screen(twipsPerPixel);
  WinMainWindow window(instance, twipsPerPixel);
  WinTray tray;
  WinHotKeys hotkeys;
  WinRegistryApi registry;
  WinMessageBoxes messages;
  WinLauncher launcher;
  WinClock clock;
  WinEventPump pump;
  WinRuntime runtime;
  WinAboutViewFactory about(instance, twipsPerPixel);
  vistrel::platform::Platform platform{
      screen,   window,   window.Timer1(), window.Timer2(), tray, hotkeys,
      registry, messages, launcher,        clock,           pump, runtime,
      about};
  vistrel::frmMain form(platform);

  // A second copy shows where the first one lives and ends here, before any window exists.
  form.Dispatch([&] { form.Form_Initialize(); });

  window.Attach(form, screen);
  window.Create();
  screen.SetTarget(window.WindowDc());
  messages.SetOwner(window.Hwnd());
  about.Attach(form, window.Hwnd());
  const std::vector<std::string> unavailable = hotkeys.Register(window.Hwnd());

  form.Dispatch([&] { form.Form_Load(); });

  if (!unavailable.empty()) {
    // Once, with the window up; the menu items do what the keys would.
    messages.Show({vistrel::hotkey::UnavailableHotKeysText(unavailable),
                   vistrel::platform::kExclamation, std::string(vistrel::identity::kTitle)});
  }

  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return 0;
}
