#include "registry_win.h"

#include <string>

namespace vistrel::win32 {
namespace {
constexpr platform::KeyHandle kFirstPredefined = 0x80000000;
constexpr platform::KeyHandle kLastPredefined = 0x80000006;

platform::KeyHandle FromHkey(HKEY key) {
  return reinterpret_cast<platform::KeyHandle>(key);
}
}  // namespace

HKEY ToHkey(platform::KeyHandle key) {
  if (key >= kFirstPredefined && key <= kLastPredefined) {
    return reinterpret_cast<HKEY>(
        static_cast<LONG_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
  }
  return reinterpret_cast<HKEY>(key);
}

std::int32_t WinRegistryApi::RegCreateKey(platform::KeyHandle root, std::string_view subKey,
                                          platform::KeyHandle& key) {
  const std::string sub(subKey);
  HKEY created = nullptr;
  const LONG status = ::RegCreateKeyA(ToHkey(root), sub.c_str(), &created);
  key = FromHkey(created);
  return status;
}

std::int32_t WinRegistryApi::RegOpenKeyEx(platform::KeyHandle root, std::string_view subKey,
                                          std::uint32_t options, std::uint32_t access,
                                          platform::KeyHandle& key) {
  const std::string sub(subKey);
  HKEY opened = nullptr;
  const LONG status = ::RegOpenKeyExA(ToHkey(root), sub.c_str(), options, access, &opened);
  key = FromHkey(opened);
  return status;
}

std::int32_t WinRegistryApi::RegQueryValueEx(platform::KeyHandle key, std::string_view name,
                                             std::uint32_t& type, char* data,
                                             std::uint32_t& length) {
  const std::string valueName(name);
  DWORD valueType = type;
  DWORD size = length;
  const LONG status = ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, &valueType,
                                         reinterpret_cast<BYTE*>(data), &size);
  type = valueType;
  length = size;
  return status;
}

std::int32_t WinRegistryApi::RegSetValueEx(platform::KeyHandle key, std::string_view name,
                                           std::uint32_t type, std::string_view data) {
  const std::string valueName(name);
  // The text and its NUL, so that a read gives every character back.
  const std::string text(data);
  return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type,
                          reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

std::int32_t WinRegistryApi::RegCloseKey(platform::KeyHandle key) {
  return ::RegCloseKey(ToHkey(key));
}

}  // namespace vistrel::win32
