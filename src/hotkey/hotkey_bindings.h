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
  std::int32_t extentX;  // HIMETRIC, kept from the component's persisted properties
  std::int32_t extentY;
  bool altKey;
  std::int32_t vKey;  // virtual-key code
  bool winKey;
  std::string_view description;
};

inline constexpr std::int32_t kVkSpace = 32;
inline constexpr std::int32_t kVkV = 86;

inline constexpr Binding kVBHotKey1{"VBHotKey1", 794, 794, true, kVkSpace, false, "Alt + Space"};
inline constexpr Binding kVBHotKey2{"VBHotKey2", 794, 794, true, kVkV, false, "Alt + V"};
inline constexpr std::array<Binding, 2> kBindings{kVBHotKey1, kVBHotKey2};

// The component's shutdown member, called on VBHotKey1 only.
inline constexpr std::uint32_t kShutdownDispatchId = 0x6003000B;

}  // namespace vistrel::hotkey
