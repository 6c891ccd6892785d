// The eight settings kept between runs: one table of value names, what each holds, and its text
// form. Start-up and shutdown walk this table; the window definition and the menu give the
// defaults, which a missing or unusable value leaves in place.
#pragma once

#include <array>
#include <string_view>

namespace vistrel::settings {

inline constexpr std::string_view SettingsKeyPath =
    "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel";

enum class Setting { Top, Left, Height, Width, RefreshHigh, RefreshAlways, Keep1to1, OnTop };

struct SettingDefinition {
  Setting setting;
  std::string_view name;
};

// In the order shutdown writes them. The first four are numbers, the rest True or False.
inline constexpr std::array<SettingDefinition, 8> kRecord{{
    {Setting::Top, "Top"},                      // outer top of the main window, twips
    {Setting::Left, "Left"},                    // outer left of the main window, twips
    {Setting::Height, "Height"},                // outer height of the main window, twips
    {Setting::Width, "Width"},                  // outer width of the main window, twips
    {Setting::RefreshHigh, "RefreshHigh"},      // check mark of Refresh High
    {Setting::RefreshAlways, "RefreshAlways"},  // check mark of Refresh Always
    {Setting::Keep1to1, "Keep1to1"},            // check mark of Keep 1/1
    {Setting::OnTop, "OnTop"},                  // check mark of Always on Top
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
