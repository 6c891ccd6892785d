// The main window as created, before start-up applies the stored settings: what both shells
// build frmMain and its invisible controls from.
#pragma once

#include <cstdint>
#include <string_view>

namespace vistrel::main_window_definition {

// A sizable tool window (each shell builds it so): caption and close button, resizable border,
// no minimise or maximise button, no taskbar button, no menu bar.
inline constexpr std::string_view kCaption = "Vistrel";

// Client area and its top-left corner on the screen, in twips (220 x 165 at 205, 209 pixels on
// a 96 DPI screen); the outer frame follows from the platform's borders.
inline constexpr double kClientLeftTwips = 3075;
inline constexpr double kClientTopTwips = 3135;
inline constexpr double kClientWidthTwips = 3300;
inline constexpr double kClientHeightTwips = 2475;

struct TimerDefinition {
  std::string_view name;
  std::int32_t intervalMs;
  bool enabled;
};
inline constexpr TimerDefinition kTimer1{"Timer1", 50, true};
inline constexpr TimerDefinition kTimer2{"Timer2", 50, true};

// pichook: invisible, scale unit twips; its window receives the tray icon's notifications.
inline constexpr std::string_view kPichookName = "pichook";
inline constexpr std::uint32_t kTrayCallbackMessage = 512;  // the mouse-move message

}  // namespace vistrel::main_window_definition
