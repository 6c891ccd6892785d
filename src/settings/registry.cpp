#include "settings/registry.h"

#include <array>

#include "app/ascii_text.h"
#include "app/failure.h"
#include "app/identity.h"

namespace vistrel {
namespace {

struct RootName {
  std::string_view name;
  platform::KeyHandle handle;
};

constexpr std::array<RootName, 7> kRoots{{
    {"HKEY_CLASSES_ROOT", kHkeyClassesRoot},
    {"HKEY_CURRENT_USER", kHkeyCurrentUser},
    {"HKEY_LOCAL_MACHINE", kHkeyLocalMachine},
    {"HKEY_USERS", kHkeyUsers},
    {"HKEY_PERFORMANCE_DATA", kHkeyPerformanceData},
    {"HKEY_CURRENT_CONFIG", kHkeyCurrentConfig},
    {"HKEY_DYN_DATA", kHkeyDynData},
}};

}  // namespace

platform::KeyHandle Registry::GetRootKey(std::string_view rootName) {
  for (const auto& root : kRoots) {
    if (root.name == rootName) return root.handle;
  }
  return 0;
}

void Registry::SplitKeyPath(std::string& keyPath) {
  const std::size_t backslash = keyPath.find('\\');
  if (keyPath.compare(0, 5, "HKEY_") != 0 || keyPath.size() < 5 || keyPath.back() == '\\') {
    messages_.Show(
        {"Incorrect Format:\n\n" + keyPath, platform::kOkOnly, std::string(identity::kTitle)});
    RootKey = 0;
    return;
  }
  if (backslash == std::string::npos) {
    RootKey = GetRootKey(keyPath);
    keyPath.clear();
    return;
  }
  RootKey = GetRootKey(std::string_view(keyPath).substr(0, backslash));
  keyPath.erase(0, backslash + 1);
}

void Registry::CreateKey(std::string_view keyPath) {
  std::string path(keyPath);
  SplitKeyPath(path);
  if (RootKey == 0) return;
  LastResult = api_.RegCreateKey(RootKey, path, CurrentKey);
  if (LastResult == platform::kErrorSuccess) LastResult = api_.RegCloseKey(CurrentKey);
}

std::optional<std::string> Registry::ReadStringValue(std::string_view keyPath,
                                                     std::string_view valueName) {
  std::string path(keyPath);
  SplitKeyPath(path);
  if (RootKey == 0) return std::nullopt;
  LastResult = api_.RegOpenKeyEx(RootKey, path, 0, platform::kKeyRead, CurrentKey);
  if (LastResult != platform::kErrorSuccess) return std::string("Error");

  ValueBuffer.assign(kValueBufferSize, ' ');
  ValueLength = kValueBufferSize;
  std::uint32_t type = platform::kRegSz;
  const std::int32_t query =
      api_.RegQueryValueEx(CurrentKey, valueName, type, ValueBuffer.data(), ValueLength);
  LastResult = api_.RegCloseKey(CurrentKey);
  if (query != platform::kErrorSuccess) return std::string("Error");

  // Bytes the query did not fill still hold spaces; what is left after trimming ends in the NUL
  // stored with the text. So leading spaces of a value are lost and trailing ones survive.
  const std::string_view trimmed = ascii::Trim(ValueBuffer, " ");
  if (trimmed.empty()) throw failures::InvalidProcedureCall();
  return std::string(trimmed.substr(0, trimmed.size() - 1));
}

void Registry::WriteStringValue(std::string_view keyPath, std::string_view valueName,
                                std::string_view value) {
  std::string path(keyPath);
  SplitKeyPath(path);
  if (RootKey == 0) return;
  LastResult = api_.RegOpenKeyEx(RootKey, path, 0, platform::kKeyWrite, CurrentKey);
  if (LastResult != platform::kErrorSuccess) return;
  LastResult = api_.RegSetValueEx(CurrentKey, valueName, platform::kRegSz, value);
  LastResult = api_.RegCloseKey(CurrentKey);
}

}  // namespace vistrel
