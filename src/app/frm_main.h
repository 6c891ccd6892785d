// The main window's state and every handler of its events. The shell reports each platform
// event by calling the handler of the same name (through Dispatch, which reports a failure that
// nothing handled); all the program's behaviour is here and in the files beside it:
//   app/dispatch.cpp                         the failure funnel (Dispatch, ReportUnhandled)
//   app/startup.cpp, app/shutdown.cpp         start, guard, focus, close
//   app/topmost.cpp                          Always on Top
//   magnifier/capture_tick.cpp               Timer1, resize, ForceRedraw
//   magnifier/zoom_refresh.cpp               clicks, zoom, Keep 1/1, refresh, Timer2
//   magnifier/freeze.cpp                     Freeze, Freeze and Lock, Pause, hot keys
//   tray/tray_commands.cpp                   tray notifications, Show, Hide, Exit
//   about/help_command.cpp                   Help
//   about/about_command.cpp, about/frm_about About
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "about/frm_about.h"
#include "app/failure.h"
#include "app/menu.h"
#include "platform/platform.h"
#include "settings/registry.h"
#include "settings/settings_record.h"
#include "tray/tray_icon_record.h"

namespace vistrel {

// Booleans kept as 16-bit values, as the magnifier fields are.
inline constexpr std::int16_t kTrue = -1;
inline constexpr std::int16_t kFalse = 0;
// The cursor position that no real cursor has after a forced redraw.
inline constexpr std::int16_t kForceRedrawPosition = -9999;

inline constexpr std::int16_t kMinZoom = 1;
inline constexpr std::int16_t kMaxZoom = 20;

// Why the window closes (the runtime's unload modes).
enum class UnloadMode : std::int16_t { kFormControlMenu = 0, kFormCode = 1, kAppWindows = 2 };

class frmMain {
 public:
  explicit frmMain(platform::Platform& platform);

  // --- state ---
  std::string SecondsToWait;
  std::int16_t ZoomFactor = 0;
  std::int16_t ViewWidth = 0;
  std::int16_t ViewHeight = 0;
  // The desktop the source rectangle is kept in: every monitor together, whose top-left corner
  // is negative where a monitor lies left of or above the primary one.
  std::int16_t ScreenLeft = 0;
  std::int16_t ScreenTop = 0;
  std::int16_t ScreenWidth = 0;
  std::int16_t ScreenHeight = 0;
  std::int16_t LastCursorX = 0;
  std::int16_t LastCursorY = 0;
  std::int16_t LockedSourceX = 0;
  std::int16_t LockedSourceY = 0;
  std::int16_t SourceLocked = kFalse;
  TrayIconRecord TrayIconData;
  bool TrayEventBusy = false;

  // --- events of the window ---
  void Form_Initialize();
  void Form_Load();
  void Form_GotFocus();
  void Form_Resize();
  void Form_MouseDown(std::int16_t button, std::int16_t shift, float x, float y);
  void Form_QueryUnload(std::int16_t& cancel, UnloadMode unloadMode);
  void Form_Unload(std::int16_t& cancel);
  void Form_Terminate();
  void Timer1_Timer();
  void Timer2_Timer();
  void pichook_MouseMove(std::int16_t button, std::int16_t shift, float x, float y);
  void VBHotKey1_HotKey();
  void VBHotKey2_HotKey();

  // --- menu commands ---
  void menuVisible_Click();
  void menuHide_Click();
  void menuZoomIN_Click();
  void menuZoomOUT_Click();
  void menuKeep1to1_Click();
  void menuRefreshHigh_Click();
  void menuRefreshAlways_Click();
  void menuFreeze_Click();
  void menuFreezeAndLock_Click();
  void menuOnTop_Click();
  void menuHelp_Click();
  // The viewer that menuHelp_Click started for path could not start or ended with an error (a
  // platform that learns this only later reports it here): the same box as a viewer that did
  // not start.
  void TextViewerFailed(const std::string& path);
  void menuAbout_Click();
  void menuExit_Click();
  // Runs the handler of a menu item; separators have none.
  void MenuClick(MenuItem item);

  // --- operations ---
  void ForceRedraw();
  // The desktop's extent as the screen reports it now (a screen that learns it only once the
  // window shows, as the Wayland program's screen cast), and the view drawn again.
  void ScreenChanged();
  void ZoomIn();
  void ZoomOut();
  void ToggleFreeze();
  void Pause(float nSecond);
  bool fileexists(const std::string& Path);

  // Closing the window, however asked for: query-unload, then unload (which ends the program).
  [[noreturn]] void Unload(UnloadMode mode);
  // The tray host was re-created (the taskbar restarted): add the icon again from TrayIconData,
  // so that a hidden window never loses its only handle.
  void ReAddTrayIcon();

  // Runs a handler; a failure that nothing handled is reported in a box naming its number and
  // description, and the program ends. Shells call every handler through this.
  void Dispatch(const std::function<void()>& handler);

  const MenuState& Menu() const { return menu_; }
  MenuState& Menu() { return menu_; }
  // The help file beside the executable.
  std::string HelpFilePath();

 private:
  void ReadScreenExtents();
  void DrawAt(double sx, double sy);
  void ClampSource(double& sx, double& sy) const;
  void WakeCaptureTick();
  void RefreshOptionChosen();
  void RestoreSetting(settings::Setting setting);
  void ApplySetting(const settings::SettingDefinition& entry, const std::string& text);
  void PlaceWindowOnMonitors();
  // The whole desktop's width or height in twips, whichever the size setting is; unlimited when
  // no monitor is known.
  double DesktopTwips(settings::Setting size);
  std::string SettingText(const settings::SettingDefinition& entry);
  void FillTrayIconData();
  void ShowFreezeAndLockFailure(const Failure& failure);
  [[noreturn]] void ReportUnhandled(const Failure& failure);

  platform::Platform& p_;
  MenuState menu_;
  Registry registry_;
  std::unique_ptr<frmabout> about_;
};

}  // namespace vistrel
