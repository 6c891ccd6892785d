// Fuzzes the Linux settings file: its text as the INI reader sees it, and the registry calls over
// the real file. The input gives a value name, a value and the file's bytes. Whatever the file
// holds: an unchanged document writes back byte for byte; a read gives a value that fits the
// buffer with its NUL, or an error; a write either leaves the file exactly as it was or changes
// that one value and keeps every other (a file that is not settings text is kept aside byte for
// byte first); and no temporary file is left behind.
#include <dirent.h>
#include <fuzzer/FuzzedDataProvider.h>
#include <strings.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/settings/file_registry.h"
#include "common/settings/ini_text.h"

using namespace vistrel;
using namespace vistrel::linux_shell;

namespace {

constexpr platform::KeyHandle kCurrentUser = 0x80000001;
constexpr const char* kSubKey = "Software\\Tarnwell\\Vistrel";
const char* const kNames[] = {"Top",           "Left",     "Height", "Width",   "RefreshHigh",
                              "REFRESHALWAYS", "Keep1to1", "OnTop",  "General", "[General]",
                              " Top",          "Top ",     "T=p",    ";Top",    ""};

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One directory per process for the file, under TMPDIR (the sanitizer leg points it at a memory
// file system and removes it afterwards: libFuzzer ends without running exit handlers).
const std::string& Directory() {
  static const std::string dir = [] {
    const char* base = std::getenv("TMPDIR");
    std::string templ = std::string(base && base[0] ? base : "/tmp") + "/vistrel-fuzz-XXXXXX";
    Check(mkdtemp(templ.data()) != nullptr);
    return templ;
  }();
  return dir;
}

// The name of the one entry of dir other than keep, or nothing.
std::string OtherEntry(const std::string& dir, const char* keep) {
  std::string other;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d)) {
      if (std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..") &&
          std::strcmp(e->d_name, keep))
        other = e->d_name;
    }
    closedir(d);
  }
  return other;
}

std::size_t EntriesIn(const std::string& dir) {
  std::size_t count = 0;
  if (DIR* d = opendir(dir.c_str())) {
    while (const dirent* e = readdir(d))
      count += std::strcmp(e->d_name, ".") && std::strcmp(e->d_name, "..");
    closedir(d);
  }
  return count;
}

void CheckText(const std::string& text, const std::string& name, const std::string& value) {
  const auto doc = ini::Document::Parse(text);
  Check(doc.has_value() ==
        (text.size() <= ini::kMaxFileBytes && text.find('\0') == std::string::npos));
  if (!doc) return;
  Check(doc->Serialize() == text);
  auto changed = *doc;
  if (!changed.Set(name, value)) return;
  const std::string written = changed.Serialize();
  const auto again = ini::Document::Parse(written);
  Check(again.has_value());
  Check(again->Get(name) == value);
  // Every other value of the file reads as before.
  for (const char* other : kNames) {
    if (ini::Document().Set(other, "x") && strcasecmp(other, name.c_str()) != 0) {
      Check(again->Get(other) == doc->Get(other));
    }
  }
}

void CheckFile(const std::string& text, const std::string& name, const std::string& value) {
  const std::string path = Directory() + "/Vistrel.conf";
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  FileRegistry registry(path);
  platform::KeyHandle key = 0;
  Check(registry.RegCreateKey(kCurrentUser, kSubKey, key) == platform::kErrorSuccess);
  Check(registry.RegCloseKey(key) == platform::kErrorSuccess);
  Check(registry.RegOpenKeyEx(kCurrentUser, kSubKey, 0, platform::kKeyRead, key) == 0);
  char buffer[255];
  std::memset(buffer, ' ', sizeof buffer);
  std::uint32_t type = 0, length = sizeof buffer;
  const std::int32_t status = registry.RegQueryValueEx(key, name, type, buffer, length);
  if (status == platform::kErrorSuccess) {
    Check(length >= 1 && length <= sizeof buffer && buffer[length - 1] == '\0');
    Check(std::memchr(buffer, '\n', length) == nullptr);
  } else {
    Check(status == platform::kErrorFileNotFound || status == platform::kErrorMoreData ||
          status == kErrorInvalidData);
    if (status == platform::kErrorMoreData) Check(length > sizeof buffer);
  }
  Check(registry.RegCloseKey(key) == platform::kErrorSuccess);

  Check(registry.RegOpenKeyEx(kCurrentUser, kSubKey, 0, platform::kKeyWrite, key) == 0);
  const std::int32_t set = registry.RegSetValueEx(key, name, platform::kRegSz, value + '\0');
  Check(registry.RegCloseKey(key) == platform::kErrorSuccess);
  if (set == platform::kErrorSuccess) Check(registry.Flush() == platform::kErrorSuccess);
  const std::string after = Slurp(path);
  if (set != platform::kErrorSuccess) {
    Check(after == text);
  } else {
    const auto doc = ini::Document::Parse(after);
    Check(doc && doc->Get(name) == value.substr(0, value.find('\0')));
    if (!ini::Document::Parse(text)) {
      const std::string kept = OtherEntry(Directory(), "Vistrel.conf");
      Check(kept.rfind("Vistrel.conf.unreadable-", 0) == 0);
      Check(Slurp(Directory() + "/" + kept) == text);
      unlink((Directory() + "/" + kept).c_str());
    }
  }
  Check(EntriesIn(Directory()) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  std::string name =
      input.ConsumeBool()
          ? kNames[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kNames) - 1)]
          : input.ConsumeRandomLengthString(16);
  const std::string value = input.ConsumeRandomLengthString(300);
  const std::string text = input.ConsumeRemainingBytesAsString();
  CheckText(text, name, value);
  CheckFile(text, name, value);
  return 0;
}
