// Keeping the main window above all ordinary windows: the stacking call with its constants.
#pragma once

#include <cstdint>

#include "platform/main_window.h"

namespace vistrel::Topmost {

inline constexpr std::int32_t kHwndTopmost = -1;
inline constexpr std::int32_t kHwndNoTopmost = -2;
inline constexpr std::uint32_t kSwpNoSize = 1;
inline constexpr std::uint32_t kSwpNoMove = 2;

// Moves the window into (or out of) the topmost band without moving, sizing or showing it.
inline void MakeTopmost(platform::MainWindow& window, bool topmost) {
  window.SetWindowPos(topmost ? kHwndTopmost : kHwndNoTopmost, 0, 0, 0, 0, kSwpNoMove | kSwpNoSize);
}

}  // namespace vistrel::Topmost
