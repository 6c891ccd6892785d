// The tray icon: its record, the notification dispatch, and the Show, Hide and Exit commands.
#include "app/frm_main.h"
#include "app/identity.h"
#include "app/main_window_definition.h"
#include "app/numeric.h"

namespace vistrel {

void frmMain::FillTrayIconData() {
  TrayIconData.cbSize = kTrayRecordSize;
  TrayIconData.hWnd = p_.window.PichookHandle();
  TrayIconData.uID = kTrayIconId;
  TrayIconData.uFlags = kNifMessage | kNifIcon | kNifTip;
  TrayIconData.uCallbackMessage = main_window_definition::kTrayCallbackMessage;
  TrayIconData.hIcon = p_.window.IconHandle();
  TrayIconData.SetTip(identity::TrayTip());
}

void frmMain::ReAddTrayIcon() {
  // Before start-up has filled the record there is no icon to bring back.
  if (TrayIconData.cbSize == 0) return;
  p_.tray.NotifyIcon(kNimAdd, TrayIconData);
}

void frmMain::pichook_MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float x,
                                float /*y*/) {
  const std::int32_t message = ToInt32(static_cast<double>(x) / p_.screen.TwipsPerPixelX());
  // The menu loop keeps delivering notifications while the menu and its command run.
  if (TrayEventBusy) return;
  TrayEventBusy = true;
  if (message == kTrayLeftDoubleClick) {
    menuVisible_Click();
  } else if (message == kTrayRightButtonUp) {
    if (const auto chosen = p_.window.PopupMenu(menu_)) MenuClick(*chosen);
  }
  TrayEventBusy = false;
}

void frmMain::menuVisible_Click() {
  if (!p_.window.Visible()) p_.window.Show();
  menu_.SetEnabled(MenuItem::menuVisible, false);
  menu_.SetEnabled(MenuItem::menuHide, true);
}

void frmMain::menuHide_Click() {
  p_.window.Hide();
  menu_.SetEnabled(MenuItem::menuVisible, true);
  menu_.SetEnabled(MenuItem::menuHide, false);
}

void frmMain::menuExit_Click() {
  Unload(UnloadMode::kFormCode);
}

void frmMain::MenuClick(MenuItem item) {
  switch (item) {
    case MenuItem::menuVisible:
      menuVisible_Click();
      break;
    case MenuItem::menuHide:
      menuHide_Click();
      break;
    case MenuItem::menuZoomIN:
      menuZoomIN_Click();
      break;
    case MenuItem::menuZoomOUT:
      menuZoomOUT_Click();
      break;
    case MenuItem::menuKeep1to1:
      menuKeep1to1_Click();
      break;
    case MenuItem::menuRefreshHigh:
      menuRefreshHigh_Click();
      break;
    case MenuItem::menuRefreshAlways:
      menuRefreshAlways_Click();
      break;
    case MenuItem::menuFreeze:
      menuFreeze_Click();
      break;
    case MenuItem::menuFreezeAndLock:
      menuFreezeAndLock_Click();
      break;
    case MenuItem::menuOnTop:
      menuOnTop_Click();
      break;
    case MenuItem::menuHelp:
      menuHelp_Click();
      break;
    case MenuItem::menuAbout:
      menuAbout_Click();
      break;
    case MenuItem::menuExit:
      menuExit_Click();
      break;
    case MenuItem::menuSeperator1:
    case MenuItem::menuSeperator2:
    case MenuItem::menuSeperator3:
    case MenuItem::menuSeperator4:
    case MenuItem::menuSeperator5:
      break;
  }
}

}  // namespace vistrel
