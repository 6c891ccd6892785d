// The registry calls the Registry module is built on, with their status codes (0 = success).
// Root keys are passed as their predefined numbers (0x80000001 for the current user); keys the
// calls open come back as opaque handles.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vistrel::platform {

using KeyHandle = std::uintptr_t;

inline constexpr std::int32_t kErrorSuccess = 0;
inline constexpr std::int32_t kErrorFileNotFound = 2;
inline constexpr std::int32_t kErrorAccessDenied = 5;
inline constexpr std::int32_t kErrorInvalidHandle = 6;
inline constexpr std::int32_t kErrorMoreData = 234;

inline constexpr std::uint32_t kKeyRead = 0x20019;
inline constexpr std::uint32_t kKeyWrite = 0x20006;
inline constexpr std::uint32_t kRegSz = 1;

class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // Creates every missing key along subKey (or opens it); an empty subKey opens root itself.
  virtual std::int32_t RegCreateKey(KeyHandle root, std::string_view subKey, KeyHandle& key) = 0;
  virtual std::int32_t RegOpenKeyEx(KeyHandle root, std::string_view subKey, std::uint32_t options,
                                    std::uint32_t access, KeyHandle& key) = 0;
  // Copies the value's data into data (at most length bytes) and sets length to the bytes
  // delivered; kErrorMoreData when it does not fit. A string value's data ends in its NUL.
  virtual std::int32_t RegQueryValueEx(KeyHandle key, std::string_view name, std::uint32_t& type,
                                       char* data, std::uint32_t& length) = 0;
  // Stores a string value with its terminating NUL, so that a read gives back every character.
  virtual std::int32_t RegSetValueEx(KeyHandle key, std::string_view name, std::uint32_t type,
                                     std::string_view data) = 0;
  virtual std::int32_t RegCloseKey(KeyHandle key) = 0;
};

}  // namespace vistrel::platform
