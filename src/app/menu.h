// The popup menu: its invisible root `menuProject` and the eighteen items of its submenu as data
// (names, captions with their access-key "&", separators) and their live check marks and enabled
// states. The check marks are the option settings themselves; nothing else holds them.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace vistrel {

enum class MenuItem : std::size_t {
  menuVisible,
  menuHide,
  menuSeperator1,
  menuZoomIN,
  menuZoomOUT,
  menuKeep1to1,
  menuSeperator2,
  menuRefreshHigh,
  menuRefreshAlways,
  menuFreeze,
  menuFreezeAndLock,
  menuSeperator3,
  menuOnTop,
  menuSeperator4,
  menuHelp,
  menuAbout,
  menuSeperator5,
  menuExit,
};

inline constexpr std::size_t kMenuItemCount = 18;

struct MenuItemDefinition {
  MenuItem item;
  std::string_view name;
  std::string_view caption;  // "-" is a separator line
  bool IsSeparator() const { return caption == "-"; }
};

// The items of the popup menu, top to bottom.
inline constexpr std::array<MenuItemDefinition, kMenuItemCount> kPopupMenu{{
    {MenuItem::menuVisible, "menuVisible", "&Show"},
    {MenuItem::menuHide, "menuHide", "Hi&de"},
    {MenuItem::menuSeperator1, "menuSeperator1", "-"},
    {MenuItem::menuZoomIN, "menuZoomIN", "Zoom &In"},
    {MenuItem::menuZoomOUT, "menuZoomOUT", "Zoom &Out"},
    {MenuItem::menuKeep1to1, "menuKeep1to1", "Keep 1/1 (No Zooming)"},
    {MenuItem::menuSeperator2, "menuSeperator2", "-"},
    {MenuItem::menuRefreshHigh, "menuRefreshHigh", "Refresh High"},
    {MenuItem::menuRefreshAlways, "menuRefreshAlways", "Refresh Always"},
    {MenuItem::menuFreeze, "menuFreeze", "Freeze (press Alt + Spacebar to toggle)"},
    {MenuItem::menuFreezeAndLock, "menuFreezeAndLock", "Freeze and Lock (press Alt + v to toggle)"},
    {MenuItem::menuSeperator3, "menuSeperator3", "-"},
    {MenuItem::menuOnTop, "menuOnTop", "Always on &Top"},
    {MenuItem::menuSeperator4, "menuSeperator4", "-"},
    {MenuItem::menuHelp, "menuHelp", "&Help"},
    {MenuItem::menuAbout, "menuAbout", "&About"},
    {MenuItem::menuSeperator5, "menuSeperator5", "-"},
    {MenuItem::menuExit, "menuExit", "E&xit"},
}};

// The window's one top-level menu item. It is invisible, so the window shows no menu bar; the tray
// opens its submenu as the popup menu.
struct MenuRootDefinition {
  std::string_view name;
  std::string_view caption;
  bool visible;
  std::array<MenuItemDefinition, kMenuItemCount> submenu;
};

inline constexpr MenuRootDefinition menuProject{"menuProject", "&Project", false, kPopupMenu};

inline constexpr const MenuItemDefinition& Definition(MenuItem item) {
  return menuProject.submenu[static_cast<std::size_t>(item)];
}

// Live state of the items; every item starts enabled and unchecked.
class MenuState {
 public:
  bool Checked(MenuItem item) const { return checked_[Index(item)]; }
  bool Enabled(MenuItem item) const { return enabled_[Index(item)]; }
  void SetChecked(MenuItem item, bool checked) { checked_[Index(item)] = checked; }
  void SetEnabled(MenuItem item, bool enabled) { enabled_[Index(item)] = enabled; }

 private:
  static constexpr std::size_t Index(MenuItem item) { return static_cast<std::size_t>(item); }
  std::array<bool, kMenuItemCount> checked_{};
  std::array<bool, kMenuItemCount> enabled_ = [] {
    std::array<bool, kMenuItemCount> all{};
    all.fill(true);
    return all;
  }();
};

}  // namespace vistrel
