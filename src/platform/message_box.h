// Modal message boxes with the runtime's style numbers: buttons + icon (0 OK only, 16 critical,
// 32 question, 48 exclamation, 64 information).
#pragma once

#include <cstdint>
#include <string>

namespace vistrel::platform {

inline constexpr std::int32_t kOkOnly = 0;
inline constexpr std::int32_t kCritical = 16;
inline constexpr std::int32_t kQuestion = 32;
inline constexpr std::int32_t kExclamation = 48;
inline constexpr std::int32_t kInformation = 64;
inline constexpr std::int32_t kResultOk = 1;

// The icon a style asks for, for a shell whose boxes do not take the style number itself.
enum class BoxIcon { kNone, kCritical, kQuestion, kExclamation, kInformation };
inline constexpr BoxIcon IconOf(std::int32_t style) {
  switch (style & 0x70) {
    case kCritical:
      return BoxIcon::kCritical;
    case kQuestion:
      return BoxIcon::kQuestion;
    case kExclamation:
      return BoxIcon::kExclamation;
    case kInformation:
      return BoxIcon::kInformation;
    default:
      return BoxIcon::kNone;
  }
}

struct MessageBoxRequest {
  std::string text;  // lines separated as the caller built them (CR LF, or LF LF)
  std::int32_t style = kOkOnly;
  std::string title;
  std::int32_t helpContext = 0;  // no help file goes with it
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns the button pressed once the box has closed.
  virtual std::int32_t Show(const MessageBoxRequest& request) = 0;
};

}  // namespace vistrel::platform
