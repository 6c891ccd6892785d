// The tray icon record in the first form of the platform's notification-icon data: size,
// notification window, identifier, flags, callback message, icon and a 64-byte ANSI tip. The
// Windows shell copies it field by field into its own structure (whose size on 64-bit Windows
// differs from the 88 bytes of the 32-bit form). Also the mouse messages a notification carries,
// and which of them a toolkit's activation of the icon stands for.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vistrel {

inline constexpr std::uint32_t kNimAdd = 0;
inline constexpr std::uint32_t kNimDelete = 2;

inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;

// The mouse messages a notification carries, as the platform numbers them.
inline constexpr std::int32_t kTrayLeftButtonDown = 513;   // 0x201
inline constexpr std::int32_t kTrayLeftDoubleClick = 515;  // 0x203
inline constexpr std::int32_t kTrayRightButtonUp = 517;    // 0x205

// A tray host's activation of the icon, for a toolkit that reports those instead of the mouse
// messages.
enum class TrayActivation { kClick, kDoubleClick, kContextMenu, kOther };

// The mouse message an activation stands for; none for any other activation. A StatusNotifier
// host sends no double clicks, so there a click stands for one: otherwise nothing there would
// show the window.
constexpr std::optional<std::int32_t> TrayMessageOf(TrayActivation activation,
                                                    bool statusNotifierHost) {
  switch (activation) {
    case TrayActivation::kClick:
      return statusNotifierHost ? kTrayLeftDoubleClick : kTrayLeftButtonDown;
    case TrayActivation::kDoubleClick:
      return kTrayLeftDoubleClick;
    case TrayActivation::kContextMenu:
      return kTrayRightButtonUp;
    case TrayActivation::kOther:
      break;
  }
  return std::nullopt;
}

inline constexpr std::uint32_t kTrayRecordSize = 88;
inline constexpr std::uint32_t kTrayIconId = 1;

struct TrayIconRecord {
  std::uint32_t cbSize = 0;
  std::uintptr_t hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  std::uintptr_t hIcon = 0;
  std::array<char, 64> szTip{};

  // The tip text, one NUL, then spaces to the end of the field; cut at 63 characters.
  void SetTip(std::string_view tip);
  // The text before the first NUL.
  std::string_view Tip() const;
};

}  // namespace vistrel
