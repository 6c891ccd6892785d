// The registry calls of the Registry module through advapi32's ANSI functions. The predefined
// root numbers (0x80000001 for the current user) are sign-extended into handles, as the
// platform defines HKEY_CURRENT_USER on 64-bit Windows.
#pragma once

#include "platform/registry_api.h"
#include "win32_api.h"

namespace vistrel::win32 {

HKEY ToHkey(platform::KeyHandle key);

class WinRegistryApi : public platform::RegistryApi {
 public:
  std::int32_t RegCreateKey(platform::KeyHandle root, std::string_view subKey,
                            platform::KeyHandle& key) override;
  std::int32_t RegOpenKeyEx(platform::KeyHandle root, std::string_view subKey,
                            std::uint32_t options, std::uint32_t access,
                            platform::KeyHandle& key) override;
  std::int32_t RegQueryValueEx(platform::KeyHandle key, std::string_view name, std::uint32_t& type,
                               char* data, std::uint32_t& length) override;
  std::int32_t RegSetValueEx(platform::KeyHandle key, std::string_view name, std::uint32_t type,
                             std::string_view data) override;
  std::int32_t RegCloseKey(platform::KeyHandle key) override;
};

}  // namespace vistrel::win32
