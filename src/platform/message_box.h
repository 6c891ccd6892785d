// Modal message boxes with the runtime's style numbers: buttons + icon (0 OK only, 16 critical,
// 48 exclamation, 64 information).
#pragma once

#include <cstdint>
#include <string>

namespace vistrel::platform {

inline constexpr std::int32_t kOkOnly = 0;
inline constexpr std::int32_t kCritical = 16;
inline constexpr std::int32_t kExclamation = 48;
inline constexpr std::int32_t kInformation = 64;
inline constexpr std::int32_t kResultOk = 1;

struct MessageBoxRequest {
  std::string text;  // lines separated as the caller built them (CR LF, or LF LF)
  std::int32_t style = kOkOnly;
  std::string title;
  std::string helpFile;
  std::int32_t helpContext = 0;
};

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // Returns the button pressed once the box has closed.
  virtual std::int32_t Show(const MessageBoxRequest& request) = 0;
};

}  // namespace vistrel::platform
