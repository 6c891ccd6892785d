// The eight settings kept between runs: one table of value names and what each holds, an edge of
// the main window's outer frame (a number of twips) or the check mark of a menu item (True or
// False). Start-up and shutdown walk this table, reading and writing each entry through what it
// is bound to; the window definition and the menu give the defaults, which a missing or unusable
// value leaves in place.
#pragma once

#include <array>
#include <string_view>

#include "app/menu.h"
#include "platform/main_window.h"

namespace vistrel::settings {

inline constexpr std::string_view SettingsKeyPath =
    "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel";

enum class Setting { Top, Left, Height, Width, RefreshHigh, RefreshAlways, Keep1to1, OnTop };

struct SettingDefinition {
  using Get = float (platform::MainWindow::*)();
  using Set = void (platform::MainWindow::*)(float);
  Setting setting;
  std::string_view name;
  // A frame edge, read and set through the window; both null for a check mark.
  Get get;
  Set set;
  // A width or a height: a negative number is no usable value.
  bool size;
  // The check mark, when the entry is no frame edge.
  MenuItem item;
};

constexpr SettingDefinition Edge(Setting setting, std::string_view name, SettingDefinition::Get get,
                                 SettingDefinition::Set set, bool size = false) {
  return {setting, name, get, set, size, MenuItem::menuVisible};
}
constexpr SettingDefinition CheckMark(Setting setting, std::string_view name, MenuItem item) {
  return {setting, name, nullptr, nullptr, false, item};
}

// In the order shutdown writes them.
inline constexpr std::array<SettingDefinition, 8> kRecord{{
    Edge(Setting::Top, "Top", &platform::MainWindow::Top, &platform::MainWindow::SetTop),
    Edge(Setting::Left, "Left", &platform::MainWindow::Left, &platform::MainWindow::SetLeft),
    Edge(Setting::Height, "Height", &platform::MainWindow::Height, &platform::MainWindow::SetHeight,
         true),
    Edge(Setting::Width, "Width", &platform::MainWindow::Width, &platform::MainWindow::SetWidth,
         true),
    CheckMark(Setting::RefreshHigh, "RefreshHigh", MenuItem::menuRefreshHigh),
    CheckMark(Setting::RefreshAlways, "RefreshAlways", MenuItem::menuRefreshAlways),
    CheckMark(Setting::Keep1to1, "Keep1to1", MenuItem::menuKeep1to1),
    CheckMark(Setting::OnTop, "OnTop", MenuItem::menuOnTop),
}};

inline constexpr const SettingDefinition& Definition(Setting setting) {
  for (const auto& entry : kRecord) {
    if (entry.setting == setting) return entry;
  }
  return kRecord[0];
}

// Start-up reads these in this order, before the topmost call and the screen measurement;
// "Keep1to1" is read after them, just before the first zoom is chosen.
inline constexpr std::array<Setting, 7> kRestoreOrder{
    Setting::Top,         Setting::Left,          Setting::Height, Setting::Width,
    Setting::RefreshHigh, Setting::RefreshAlways, Setting::OnTop};

}  // namespace vistrel::settings
