// The registry calls over one settings file: the key HKEY_CURRENT_USER\Software\Tarnwell\Vistrel
// is $XDG_CONFIG_HOME/Tarnwell/Vistrel.conf (default ~/.config), its string values the Name=text
// lines of [General]. Creating the key creates the file; opening it fails when the file is gone,
// so a save after the file was deleted stores nothing. Writes are gathered and go to disk
// together at Flush (the program's end calls it), in one atomic replacement (a temporary file in
// the same directory, flushed to disk, renamed over it): a kill during a save leaves all the old
// values or all the new ones. Every other line is kept. A file that can not be opened or read is
// never touched, and nothing is saved. A file that was read but is not settings text (a NUL byte,
// beyond the size limit) is kept under a name beside it that says so and when
// (Vistrel.conf.unreadable-20261207-143000), told once on standard error, and a fresh file takes
// its place at the save, so that one bad file does not cost every later run its settings. Every
// other key is absent.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "common/settings/ini_text.h"
#include "platform/registry_api.h"

namespace vistrel::linux_shell {

// ERROR_INVALID_DATA: the file is there but is not a settings file.
inline constexpr std::int32_t kErrorInvalidData = 13;
// ERROR_INVALID_PARAMETER: a name or text that a line can not hold.
inline constexpr std::int32_t kErrorInvalidParameter = 87;

class FileRegistry : public platform::RegistryApi {
 public:
  // The file for this user's environment.
  static std::string DefaultPath();
  explicit FileRegistry(std::string path);

  const std::string& Path() const { return path_; }

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

  // Writes the gathered values, if any, in one replacement of the file.
  std::int32_t Flush();
  ~FileRegistry() override { Flush(); }

 private:
  struct OpenKey {
    bool writable;
  };
  static bool IsSettingsKey(platform::KeyHandle root, std::string_view subKey);
  // The file's bytes; an error code when it can not be read.
  std::int32_t ReadFile(std::string& text) const;
  // The file's bytes as a settings document; an error code when it can not be read or parsed.
  std::int32_t ReadDocument(std::optional<ini::Document>& document) const;
  std::int32_t ReplaceFile(const std::string& text) const;
  // Links the unreadable file to its new name beside it; that name, or nothing on failure.
  std::optional<std::string> KeepUnreadable() const;
  platform::KeyHandle NewHandle(bool writable);

  std::string path_;
  // The file's contents with the writes not yet flushed.
  std::optional<ini::Document> pending_;
  // The file was not settings text: the save keeps it aside before it replaces it.
  bool unreadable_ = false;
  std::map<platform::KeyHandle, OpenKey> open_;
  platform::KeyHandle next_ = 0x1000;
};

}  // namespace vistrel::linux_shell
