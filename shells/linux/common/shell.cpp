#include "common/shell.h"

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>
#include <cstdio>

#include "app/identity.h"
#include "app/main_window_definition.h"
#include "app/twips.h"
#include "common/no_tray_notice.h"
#include "common/session_end.h"
#include "hotkey/unavailable_message.h"

namespace vistrel::linux_shell {

Shell::Shell(std::string commandLine, double twipsPerPixel, int timer1IdleStride)
    : twipsPerPixel_(twipsPerPixel),
      timer1_(
          main_window_definition::kTimer1.intervalMs,
          [this] { Dispatch([this] { form_->Timer1_Timer(); }); }, timer1IdleStride),
      timer2_(main_window_definition::kTimer2.intervalMs,
              [this] { Dispatch([this] { form_->Timer2_Timer(); }); }),
      registry_(FileRegistry::DefaultPath()),
      runtime_(std::move(commandLine)),
      about_(twipsPerPixel, &aboutOwner_,
             [this](const std::function<void()>& handler) { Dispatch(handler); }) {
  launcher_.SetViewerFailed(
      [this](const std::string& path) { Dispatch([&] { form_->TextViewerFailed(path); }); });
  // The close writes the eight values one by one; they reach the disk together, at the end.
  runtime_.SetBeforeEnd([this] { registry_.Flush(); });
}

Shell::~Shell() = default;

void Shell::Dispatch(const std::function<void()>& handler) {
  if (!form_) return;
  form_->Dispatch(handler);
  // Every change of a check mark or enabled state comes from a handler.
  if (tray_) tray_->SyncMenu(form_->Menu());
}

void Shell::TrayMessage(int message) {
  Dispatch([&] { form_->pichook_MouseMove(0, 0, PixelsToTwips(message, twipsPerPixel_), 0); });
}

void Shell::TrayHostChanged() {
  Dispatch([this] { form_->ReAddTrayIcon(); });
}

void Shell::ScreenChanged() {
  Dispatch([this] { form_->ScreenChanged(); });
}

void Shell::Exit(std::function<void()> end) {
  if (end) runtime_.SetEnd(std::move(end));
  Dispatch([this] { form_->menuExit_Click(); });
}

std::function<void(int)> Shell::HotKeyAction() {
  return [this](int binding) {
    Dispatch([&] {
      if (binding == 0) {
        form_->VBHotKey1_HotKey();
      } else {
        form_->VBHotKey2_HotKey();
      }
    });
  };
}

int Shell::Run(Backend& backend) {
  tray_ = std::make_unique<QtTray>([this](int message) { TrayMessage(message); });
  // What a right click on the icon does, for desktops without a tray.
  const auto showMenu = [this] { TrayMessage(kTrayRightButtonUp); };
  backend.window.SetChosenEntrySource([this] { return tray_->TakeChosenEntry(); });
  // The two hot-key actions for the desktop's own shortcuts (and where no key can be had), and
  // the menu.
  // A second start on a desktop without a tray brings the window back this way: its box would
  // send the user to an icon that is not there.
  const auto show = [this, &backend] {
    Dispatch([this] { form_->menuVisible_Click(); });
    backend.window.SetState(platform::WindowState::kNormal);
    backend.window.Widget()->raise();
    backend.window.Widget()->activateWindow();
  };
  control_ = std::make_unique<DBusControl>(ControlActions{
      HotKeyAction(), showMenu, show, [] { return QSystemTrayIcon::isSystemTrayAvailable(); }});

  // The settings first: they matter more than what the desktop keeps for the window.
  runtime_.SetBeforeEnd([this, &backend] {
    registry_.Flush();
    backend.window.WithdrawFromDesktop();
  });
  platform::Platform platform{backend.screen,  backend.window, timer1_,   timer2_,   *tray_,
                              backend.hotkeys, registry_,      messages_, launcher_, clock_,
                              pump_,           runtime_,       about_};
  frmMain form(platform);
  form_ = &form;
  form.Dispatch([&] { form.Form_Initialize(); });

  MainWindowEvents events;
  events.resized = [&] { Dispatch([&] { form.Form_Resize(); }); };
  events.activated = [&] { Dispatch([&] { form.Form_GotFocus(); }); };
  events.mouseDown = [&](int button, int shift, double px, double py) {
    Dispatch([&] {
      form.Form_MouseDown(static_cast<std::int16_t>(button), static_cast<std::int16_t>(shift),
                          static_cast<float>(px), static_cast<float>(py));
    });
  };
  events.closeRequested = [&] { Dispatch([&] { form.Unload(UnloadMode::kFormControlMenu); }); };
  // Outside the key's handling, as for the icon's clicks: the menu runs a loop of its own.
  events.menuKey = [&] { QTimer::singleShot(0, showMenu); };
  backend.window.Create(std::move(events));
  aboutOwner_ = backend.window.Widget();
  if (backend.windowCreated) backend.windowCreated();

  timer1_.Start(main_window_definition::kTimer1.enabled);
  timer2_.Start(main_window_definition::kTimer2.enabled);
  OnSessionEnd([&] { Dispatch([&] { form.Unload(UnloadMode::kAppWindows); }); });

  Dispatch([&] { form.Form_Resize(); });
  Dispatch([&] { form.Form_Load(); });
  const bool controlled = control_->Register();
  const std::string call =
      "gdbus call --session --dest example.tarnwell.Vistrel --object-path "
      "/example/tarnwell/Vistrel --method example.tarnwell.Vistrel.";
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    // Said once; an X11 tray that starts later still gets the icon.
    std::fprintf(stderr,
                 "Vistrel: no tray is running, so its icon is not shown. The menu opens with the "
                 "Menu key or Shift+F10 on the view%s.\n",
                 controlled ? (", or with: " + call + "ShowMenu").c_str() : "");
    if (FirstStartWithoutTray()) {
      QTimer::singleShot(0, [this, controlled] {
        messages_.Show(
            {NoTrayNoticeText(controlled), platform::kInformation, std::string(identity::kTitle)});
      });
    }
  }
  // After the window shows: a desktop's portal may be slow to answer, or not answer at all.
  backend.hotkeys.RegisterThen([this, &backend, controlled,
                                call](const std::vector<std::string>& unavailable) {
    if (!backend.hotkeys.Available()) {
      // Said once, instead of the box that names keys another program holds.
      std::fprintf(stderr,
                   "Vistrel: this desktop gives programs no global keys, so Alt+Space and Alt+V "
                   "do nothing.\n");
      if (controlled) {
        std::fprintf(stderr,
                     "Bind the desktop's own shortcuts to these commands:\n  %sToggleFreeze\n"
                     "  %sFreezeAndLock\n",
                     call.c_str(), call.c_str());
      }
    }
    if (!unavailable.empty() && backend.hotkeys.Available()) {
      // Once, after the window is up; the menu items do the same as the keys.
      QTimer::singleShot(0, [this, unavailable] {
        messages_.Show({hotkey::UnavailableHotKeysText(unavailable), platform::kExclamation,
                        std::string(identity::kTitle)});
      });
    }
  });
  const int code = QApplication::exec();
  form_ = nullptr;
  return code;
}

}  // namespace vistrel::linux_shell
