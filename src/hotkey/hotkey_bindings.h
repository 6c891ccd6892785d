// The two global hot keys in the place of the outside hot-key component: each is the Alt
// modifier with one key alone (no Control, Shift or Windows key). Registered when the main
// window is created, released by the shutdown call on the first one.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace vistrel::hotkey {

struct Binding {
  std::string_view name;
  bool altKey;
  std::int32_t vKey;  // virtual-key code
  bool winKey;
  std::string_view description;
};

inline constexpr std::int32_t kVkSpace = 32;
inline constexpr std::int32_t kVkV = 86;

inline constexpr Binding kVBHotKey1{"VBHotKey1", true, kVkSpace, false, "Alt + Space"};
inline constexpr Binding kVBHotKey2{"VBHotKey2", true, kVkV, false, "Alt + V"};
inline constexpr std::array<Binding, 2> kBindings{kVBHotKey1, kVBHotKey2};

}  // namespace vistrel::hotkey
