// The mouse codes the window's handlers take, numbered as the platform's mouse messages number
// them: the buttons as bits (left 1, right 2, middle 4) and the modifier keys as bits (Shift 1,
// Ctrl 2, Alt 4). A shell reads its own event's flags into a State and passes on its Codes.
#pragma once

#include <cstdint>

namespace vistrel::mouse {

inline constexpr std::int16_t kLeftButton = 1;
inline constexpr std::int16_t kRightButton = 2;
inline constexpr std::int16_t kMiddleButton = 4;
inline constexpr std::int16_t kShiftKey = 1;
inline constexpr std::int16_t kCtrlKey = 2;
inline constexpr std::int16_t kAltKey = 4;

// For a press, the button that went down; for a move, the buttons held.
struct State {
  bool left = false;
  bool right = false;
  bool middle = false;
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

struct Codes {
  std::int16_t button = 0;
  std::int16_t shift = 0;
  bool operator==(const Codes&) const = default;
};

constexpr Codes Encode(const State& s) {
  return {static_cast<std::int16_t>((s.left ? kLeftButton : 0) | (s.right ? kRightButton : 0) |
                                    (s.middle ? kMiddleButton : 0)),
          static_cast<std::int16_t>((s.shift ? kShiftKey : 0) | (s.ctrl ? kCtrlKey : 0) |
                                    (s.alt ? kAltKey : 0))};
}

}  // namespace vistrel::mouse
