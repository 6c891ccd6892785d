// Text-only access to keys named by one full path that begins with a predefined root key
// ("HKEY_CURRENT_USER\Software\Tarnwell\Vistrel"). The only problem it tells the user about is a
// malformed path; a failed read comes back as the text "Error"; everything else is silent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/message_box.h"
#include "platform/registry_api.h"

namespace vistrel {

inline constexpr platform::KeyHandle kHkeyClassesRoot = 0x80000000;
inline constexpr platform::KeyHandle kHkeyCurrentUser = 0x80000001;
inline constexpr platform::KeyHandle kHkeyLocalMachine = 0x80000002;
inline constexpr platform::KeyHandle kHkeyUsers = 0x80000003;
inline constexpr platform::KeyHandle kHkeyPerformanceData = 0x80000004;
inline constexpr platform::KeyHandle kHkeyCurrentConfig = 0x80000005;
inline constexpr platform::KeyHandle kHkeyDynData = 0x80000006;

// The capacity of the read buffer: a value's text must be shorter (254 characters and its NUL).
inline constexpr std::uint32_t kValueBufferSize = 255;

class Registry {
 public:
  Registry(platform::RegistryApi& api, platform::MessageBoxes& messages)
      : api_(api), messages_(messages) {}

  // Callers pass the full path each time; the split works on the module's own copy.
  void CreateKey(std::string_view keyPath);
  // The value's text; "Error" when the key can not be opened or the value not read; nothing
  // (distinct from both) when the path's root is not recognised or the path is malformed.
  // Throws failures::InvalidProcedureCall() for a stored value of zero bytes.
  std::optional<std::string> ReadStringValue(std::string_view keyPath, std::string_view valueName);
  void WriteStringValue(std::string_view keyPath, std::string_view valueName,
                        std::string_view value);

  // Sets RootKey from the path's root name and rewrites keyPath to the sub-key path (the root
  // and the first "\" removed). A path not beginning "HKEY_" or ending in "\" shows the
  // "Incorrect Format:" box, leaves keyPath as it was and sets RootKey to 0.
  void SplitKeyPath(std::string& keyPath);
  static platform::KeyHandle GetRootKey(std::string_view rootName);

  // Working variables of the running operation.
  platform::KeyHandle CurrentKey = 0;
  platform::KeyHandle RootKey = 0;
  std::int32_t LastResult = 0;
  std::string ValueBuffer;
  std::uint32_t ValueLength = 0;

 private:
  platform::RegistryApi& api_;
  platform::MessageBoxes& messages_;
};

}  // namespace vistrel
