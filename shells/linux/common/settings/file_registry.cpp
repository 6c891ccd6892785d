#include "common/settings/file_registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string_view>

#include "app/ascii_text.h"
#include "common/settings/ini_text.h"
#include "settings/registry.h"
#include "settings/settings_record.h"

namespace vistrel::linux_shell {
namespace {

// The one key this file holds: the settings key below the current user's root.
constexpr std::string_view kSubKey =
    settings::SettingsKeyPath.substr(settings::SettingsKeyPath.find('\\') + 1);

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// mkdir -p, owner-only as the XDG directories are.
bool MakeDirectories(const std::string& dir) {
  if (dir.empty()) return false;
  struct stat st {};
  if (::stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
  const std::string parent = DirectoryOf(dir);
  if (parent != dir && !MakeDirectories(parent)) return false;
  return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// The replacement is written under this name beside the file first; a process killed before the
// rename leaves it there, and the next start removes it. A name of its own, because a leftover
// must be told apart from the user's own files beside the settings (Vistrel.conf.backup).
constexpr std::string_view kTempInfix = ".saving-";
constexpr std::size_t kTempRandom = 6;  // mkostemp's XXXXXX

std::string RealTarget(const std::string& path) {
  if (char resolved[PATH_MAX]; ::realpath(path.c_str(), resolved)) return resolved;
  return path;
}

// Removes the replacements that killed runs left beside the file. Only one copy of the program
// runs per user, so none of them is being written now.
void RemoveLeftovers(const std::string& target) {
  const std::string dir = DirectoryOf(target);
  const std::string prefix = target.substr(target.rfind('/') + 1) + std::string(kTempInfix);
  DIR* d = ::opendir(dir.c_str());
  if (!d) return;
  while (const dirent* entry = ::readdir(d)) {
    const std::string_view name = entry->d_name;
    if (name.size() != prefix.size() + kTempRandom || name.substr(0, prefix.size()) != prefix)
      continue;
    const std::string path = dir + "/" + std::string(name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(path.c_str());
  }
  ::closedir(d);
}

}  // namespace

std::string FileRegistry::DefaultPath() {
  // XDG: a relative XDG_CONFIG_HOME is invalid and ignored.
  std::string base;
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && config[0] == '/') {
    base = config;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home && home[0] ? home : "/") + "/.config";
  }
  return base + "/Tarnwell/Vistrel.conf";
}

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)) {}

bool FileRegistry::IsSettingsKey(platform::KeyHandle root, std::string_view subKey) {
  return root == kHkeyCurrentUser && ascii::EqualsIgnoringCase(subKey, kSubKey);
}

platform::KeyHandle FileRegistry::NewHandle(bool writable) {
  const platform::KeyHandle handle = next_++;
  open_[handle] = {writable};
  return handle;
}

std::int32_t FileRegistry::RegCreateKey(platform::KeyHandle root, std::string_view subKey,
                                        platform::KeyHandle& key) {
  if (!IsSettingsKey(root, subKey)) return platform::kErrorAccessDenied;
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) {
    if (!MakeDirectories(DirectoryOf(path_))) return platform::kErrorAccessDenied;
    // O_EXCL: a file that appeared meanwhile is someone's settings and stays as it is.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) return platform::kErrorAccessDenied;
    if (fd >= 0) {
      const bool ok = WriteAll(fd, "[General]\n") && ::fsync(fd) == 0;
      ::close(fd);
      if (!ok) return platform::kErrorAccessDenied;
    }
  } else if (!S_ISREG(st.st_mode)) {
    return platform::kErrorAccessDenied;
  }
  RemoveLeftovers(RealTarget(path_));
  key = NewHandle(true);
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::RegOpenKeyEx(platform::KeyHandle root, std::string_view subKey,
                                        std::uint32_t /*options*/, std::uint32_t access,
                                        platform::KeyHandle& key) {
  if (!IsSettingsKey(root, subKey)) return platform::kErrorFileNotFound;
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return platform::kErrorFileNotFound;
  key = NewHandle((access & platform::kKeyWrite & ~platform::kKeyRead) != 0);
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::ReadFile(std::string& text) const {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? platform::kErrorFileNotFound : platform::kErrorAccessDenied;
  text.clear();
  char chunk[8192];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return platform::kErrorAccessDenied;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
    if (text.size() > ini::kMaxFileBytes) break;
  }
  ::close(fd);
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::ReadDocument(std::optional<ini::Document>& document) const {
  std::string text;
  if (const std::int32_t status = ReadFile(text); status != platform::kErrorSuccess) return status;
  document = ini::Document::Parse(text);
  return document ? platform::kErrorSuccess : kErrorInvalidData;
}

std::int32_t FileRegistry::RegQueryValueEx(platform::KeyHandle key, std::string_view name,
                                           std::uint32_t& type, char* data, std::uint32_t& length) {
  if (!open_.count(key)) return platform::kErrorInvalidHandle;
  std::optional<ini::Document> document = pending_;
  if (!document) {
    if (const std::int32_t status = ReadDocument(document); status != platform::kErrorSuccess) {
      return status;
    }
  }
  const auto value = document->Get(name);
  if (!value) return platform::kErrorFileNotFound;
  type = platform::kRegSz;
  // A string value's data carries its NUL.
  const std::size_t needed = value->size() + 1;
  if (needed > length || data == nullptr) {
    length = static_cast<std::uint32_t>(std::min<std::size_t>(needed, UINT32_MAX));
    return data == nullptr ? platform::kErrorSuccess : platform::kErrorMoreData;
  }
  std::memcpy(data, value->data(), value->size());
  data[value->size()] = '\0';
  length = static_cast<std::uint32_t>(needed);
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::RegSetValueEx(platform::KeyHandle key, std::string_view name,
                                         std::uint32_t /*type*/, std::string_view data) {
  const auto found = open_.find(key);
  if (found == open_.end()) return platform::kErrorInvalidHandle;
  if (!found->second.writable) return platform::kErrorAccessDenied;
  // A string value may carry its terminating NUL; the line holds the text before it.
  if (const std::size_t nul = data.find('\0'); nul != std::string_view::npos)
    data = data.substr(0, nul);
  if (pending_) return pending_->Set(name, data) ? platform::kErrorSuccess : kErrorInvalidParameter;
  // The first write reads the file. Gone since the key was opened: like a deleted key, store
  // nothing. Not settings text: start afresh, and keep the file aside at the save.
  std::optional<ini::Document> document;
  const std::int32_t status = ReadDocument(document);
  const bool unreadable = status == kErrorInvalidData;
  if (unreadable) {
    document = ini::Document::Parse("");
  } else if (status != platform::kErrorSuccess) {
    return status;
  }
  // A write that fails changes nothing, so it alone never makes a save.
  if (!document->Set(name, data)) return kErrorInvalidParameter;
  pending_ = std::move(document);
  unreadable_ = unreadable;
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::Flush() {
  if (!pending_) return platform::kErrorSuccess;
  const std::string text = pending_->Serialize();
  pending_.reset();
  std::optional<std::string> kept;
  if (unreadable_) {
    unreadable_ = false;
    kept = KeepUnreadable();
    if (!kept) return platform::kErrorAccessDenied;
  }
  // Deleted meanwhile: still stores nothing (ReplaceFile finds no file to replace).
  const std::int32_t status = ReplaceFile(text);
  if (kept && status == platform::kErrorSuccess) {
    std::fprintf(stderr,
                 "Vistrel: %s did not hold settings that could be read; it was kept as %s and "
                 "the settings were saved in a new file.\n",
                 path_.c_str(), kept->c_str());
  }
  return status;
}

std::optional<std::string> FileRegistry::KeepUnreadable() const {
  const std::string target = RealTarget(path_);
  char stamp[32];
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
  const std::string base = target + ".unreadable-" + stamp;
  // A hard link keeps the old bytes under the new name while the file itself stays in place
  // until the replacement's rename: at no moment is there no settings file. link() never
  // replaces an existing name, so two saves within one second get "-2", "-3", ...
  for (int n = 1; n < 100; ++n) {
    const std::string name = n == 1 ? base : base + "-" + std::to_string(n);
    if (::link(target.c_str(), name.c_str()) == 0) return name;
    if (errno != EEXIST) return std::nullopt;
  }
  return std::nullopt;
}

std::int32_t FileRegistry::ReplaceFile(const std::string& text) const {
  // Write through a symbolic link to the file it names, so that the link stays.
  const std::string target = RealTarget(path_);
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return platform::kErrorFileNotFound;

  std::string temp = target + std::string(kTempInfix) + std::string(kTempRandom, 'X');
  const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) return platform::kErrorAccessDenied;
  const bool written =
      ::fchmod(fd, st.st_mode & 07777) == 0 && WriteAll(fd, text) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (!written || !closed || ::rename(temp.c_str(), target.c_str()) != 0) {
    ::unlink(temp.c_str());
    return platform::kErrorAccessDenied;
  }
  // The rename itself must reach the disk too.
  if (const int dir = ::open(DirectoryOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return platform::kErrorSuccess;
}

std::int32_t FileRegistry::RegCloseKey(platform::KeyHandle key) {
  return open_.erase(key) ? platform::kErrorSuccess : platform::kErrorInvalidHandle;
}

}  // namespace vistrel::linux_shell
