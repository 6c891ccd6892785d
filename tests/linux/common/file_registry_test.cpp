// The registry calls over a real settings file in a temporary directory, driven through the
// core's Registry module as the program drives them.
#include "common/settings/file_registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "settings/registry.h"
#include "settings/settings_record.h"

namespace vistrel::linux_shell {
namespace {

namespace fs = std::filesystem;

class NoBoxes : public platform::MessageBoxes {
 public:
  int shown = 0;
  std::int32_t Show(const platform::MessageBoxRequest&) override { return ++shown, 1; }
};

class FileRegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vistrel-registry-XXXXXX";
    dir_ = mkdtemp(pattern);
    path_ = dir_ + "/config/Tarnwell/Vistrel.conf";
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  void Write(const std::string& text) const {
    fs::create_directories(fs::path(path_).parent_path());
    std::ofstream(path_, std::ios::binary) << text;
  }

  std::string dir_, path_;
  NoBoxes boxes_;
};

constexpr std::string_view kKey = settings::SettingsKeyPath;

TEST_F(FileRegistryTest, CreateKeyMakesTheFileAndKeepsAnExistingOne) {
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.CreateKey(kKey);
  EXPECT_EQ(Contents(), "[General]\n");
  EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write);
  Write("[General]\nTop=1\n");
  registry.CreateKey(kKey);
  EXPECT_EQ(Contents(), "[General]\nTop=1\n");
}

TEST_F(FileRegistryTest, WritesAndReadsBackEveryCharacter) {
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.CreateKey(kKey);
  registry.WriteStringValue(kKey, "Top", "1440");
  registry.WriteStringValue(kKey, "Left", "-300");
  registry.WriteStringValue(kKey, "Width", std::string("12  \0", 5));  // a string with its NUL
  registry.WriteStringValue(kKey, "Top", "2880");
  // A save reaches the disk whole, at the flush: until then the file holds the old values, and
  // reads see the new ones.
  EXPECT_EQ(Contents(), "[General]\n");
  EXPECT_EQ(registry.ReadStringValue(kKey, "Top"), "2880");
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(api.Flush(), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");  // an ordinary save is not news
  EXPECT_EQ(Contents(), "[General]\nTop=2880\nLeft=-300\nWidth=12  \n");
  EXPECT_EQ(registry.ReadStringValue(kKey, "Top"), "2880");
  EXPECT_EQ(registry.ReadStringValue(kKey, "Width"), "12  ");
  EXPECT_EQ(registry.ReadStringValue(kKey, "Height"), "Error");
  // After the save the file counts again: an edit made meanwhile is read and kept.
  Write("[General]\nTop=1\n");
  EXPECT_EQ(registry.ReadStringValue(kKey, "Top"), "1");
  registry.WriteStringValue(kKey, "Left", "2");
  api.Flush();
  EXPECT_EQ(Contents(), "[General]\nTop=1\nLeft=2\n");
}

TEST_F(FileRegistryTest, ValueLengthLimitOfTheReadBuffer) {
  Write("[General]\nA=" + std::string(254, 'x') + "\nB=" + std::string(255, 'x') + "\n");
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  EXPECT_EQ(registry.ReadStringValue(kKey, "A"), std::string(254, 'x'));
  EXPECT_EQ(registry.ReadStringValue(kKey, "B"), "Error");
  platform::KeyHandle key = 0;
  ASSERT_EQ(
      api.RegOpenKeyEx(kHkeyCurrentUser, "Software\\Tarnwell\\Vistrel", 0, platform::kKeyRead, key),
      0);
  char buffer[10];
  std::uint32_t length = sizeof buffer, type = 0;
  EXPECT_EQ(api.RegQueryValueEx(key, "A", type, buffer, length), platform::kErrorMoreData);
  EXPECT_EQ(length, 255u);
  EXPECT_EQ(api.RegQueryValueEx(key, "C", type, buffer, length), platform::kErrorFileNotFound);
  EXPECT_EQ(api.RegSetValueEx(key, "A", platform::kRegSz, "1"), platform::kErrorAccessDenied);
  EXPECT_EQ(api.RegCloseKey(key), 0);
  EXPECT_EQ(api.RegCloseKey(key), platform::kErrorInvalidHandle);
}

TEST_F(FileRegistryTest, AWriteAfterTheFileWasDeletedStoresNothing) {
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.CreateKey(kKey);
  fs::remove(path_);
  registry.WriteStringValue(kKey, "Top", "1440");
  api.Flush();
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(registry.ReadStringValue(kKey, "Top"), "Error");
}

TEST_F(FileRegistryTest, AFileDeletedDuringASaveIsNotMadeAgain) {
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.CreateKey(kKey);
  registry.WriteStringValue(kKey, "Top", "1440");
  fs::remove(path_);
  EXPECT_NE(api.Flush(), 0);
  EXPECT_FALSE(fs::exists(path_));
}

TEST_F(FileRegistryTest, OnlyTheSettingsKeyExists) {
  FileRegistry api(path_);
  platform::KeyHandle key = 0;
  EXPECT_NE(api.RegCreateKey(kHkeyLocalMachine, "Software\\Tarnwell\\Vistrel", key), 0);
  EXPECT_NE(api.RegCreateKey(kHkeyCurrentUser, "Software\\Tarnwell", key), 0);
  EXPECT_NE(api.RegCreateKey(kHkeyCurrentUser, "", key), 0);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(api.RegCreateKey(kHkeyCurrentUser, "software\\tarnwell\\VISTREL", key), 0);
  fs::remove(path_);
  fs::create_directory(path_);  // not a file: no key
  EXPECT_EQ(api.RegCreateKey(kHkeyCurrentUser, "Software\\Tarnwell\\Vistrel", key),
            platform::kErrorAccessDenied);
  EXPECT_EQ(api.RegOpenKeyEx(kHkeyCurrentUser, "Software\\Other", 0, platform::kKeyRead, key),
            platform::kErrorFileNotFound);
}

TEST_F(FileRegistryTest, KeepsOtherLinesAndPermissionsAndReplacesAtomically) {
  Write("# hand-edited\n[General]\nFuture=1\nTop=1\n[Other]\nX=y\n");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  struct stat before {};
  ::stat(path_.c_str(), &before);
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.WriteStringValue(kKey, "Top", "5");
  registry.WriteStringValue(kKey, "OnTop", "True");
  api.Flush();
  struct stat after {};
  ::stat(path_.c_str(), &after);
  EXPECT_NE(before.st_ino, after.st_ino);  // a new file took the old one's name
  EXPECT_EQ(Contents(), "# hand-edited\n[General]\nFuture=1\nTop=5\nOnTop=True\n[Other]\nX=y\n");
  EXPECT_EQ(after.st_mode & 0777, 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(fs::path(path_).parent_path()), {}), 1);
}

TEST_F(FileRegistryTest, WritesThroughASymbolicLink) {
  Write("[General]\n");
  const std::string real = dir_ + "/real.conf";
  fs::rename(path_, real);
  fs::create_symlink(real, path_);
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.WriteStringValue(kKey, "Top", "5");
  api.Flush();
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Contents(), "[General]\nTop=5\n");
}

// Replacements that a killed run left go at the next start, beside the file a symbolic link
// names too; the user's own files beside the settings stay.
TEST_F(FileRegistryTest, CreateKeyRemovesLeftoverReplacementsOnly) {
  for (const bool linked : {false, true}) {
    Write("[General]\n");
    const std::string real = linked ? dir_ + "/real.conf" : path_;
    if (linked) fs::rename(path_, real), fs::create_symlink(real, path_);
    for (const char* suffix : {".saving-a1B2c3", ".saving-keep", ".saving-a1B2c3d", ".backup"}) {
      std::ofstream(real + suffix) << "x";
    }
    FileRegistry api(path_);
    Registry(api, boxes_).CreateKey(kKey);
    EXPECT_FALSE(fs::exists(real + ".saving-a1B2c3")) << linked;
    EXPECT_TRUE(fs::exists(real + ".saving-keep") && fs::exists(real + ".saving-a1B2c3d") &&
                fs::exists(real + ".backup"))
        << linked;
    fs::remove_all(dir_);
  }
}

TEST_F(FileRegistryTest, AFileThatIsNotSettingsTextIsKeptAsideOnceAndANewOneWritten) {
  const std::string binary("[General]\nTop=1\n\0\x01garbage", 25);
  Write(binary);
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  EXPECT_EQ(registry.ReadStringValue(kKey, "Top"), "Error");
  // A write that fails (a name no line can hold) alone makes no save.
  platform::KeyHandle key = 0;
  ASSERT_EQ(
      api.RegOpenKeyEx(0x80000001, "Software\\Tarnwell\\Vistrel", 0, platform::kKeyWrite, key),
      platform::kErrorSuccess);
  EXPECT_EQ(api.RegSetValueEx(key, "Top\nLeft", platform::kRegSz, "5"), kErrorInvalidParameter);
  api.RegCloseKey(key);
  api.Flush();
  EXPECT_EQ(Contents(), binary);
  ::testing::internal::CaptureStderr();
  registry.WriteStringValue(kKey, "Top", "5");
  api.Flush();
  registry.WriteStringValue(kKey, "Left", "6");
  api.Flush();
  const std::string told = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(Contents(), "[General]\nTop=5\nLeft=6\n");
  std::vector<fs::path> kept;
  for (const auto& entry : fs::directory_iterator(fs::path(path_).parent_path())) {
    if (entry.path().filename().string().rfind("Vistrel.conf.unreadable-2", 0) == 0)
      kept.push_back(entry.path());
  }
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].filename().string().size(),
            std::string_view("Vistrel.conf.unreadable-YYYYMMDD-hhmmss").size());
  std::ifstream in(kept[0], std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), binary);
  EXPECT_EQ(told.find(kept[0].string()), told.rfind(kept[0].string())) << told;
  EXPECT_NE(told.find(kept[0].string()), std::string::npos) << told;

  if (::geteuid() != 0) {  // root reads everything
    Write("[General]\nTop=1\n");
    fs::permissions(path_, fs::perms::owner_write);
    registry.WriteStringValue(kKey, "Top", "5");
    api.Flush();
    fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(Contents(), "[General]\nTop=1\n");
  }
}

// The size limit counts the whole file: one byte more is not settings text, rather than a file
// cut to its first mebibyte.
TEST_F(FileRegistryTest, AFileOfOneMebibyteReadsAndOneByteMoreIsAnError) {
  const std::string head = "[General]\nTop=1\n";
  for (const auto& [size, top] :
       {std::pair<std::size_t, const char*>{1 << 20, "1"}, {(1 << 20) + 1, "Error"}}) {
    Write(head + std::string(size - head.size() - 1, '#') + "\n");
    FileRegistry api(path_);
    EXPECT_EQ(Registry(api, boxes_).ReadStringValue(kKey, "Top"), top) << size;
  }
}

const std::string kBroken("[General]\nTop=1\n\0", 17);

// Where the broken file can not be kept aside (here its name with the suffix is too long for the
// file system), it stays as it was and the save fails: the user's bytes are never lost unseen.
TEST_F(FileRegistryTest, ABrokenFileThatCanNotBeKeptAsideStaysAndTheSaveFails) {
  // 235 characters: room for the replacement's ".saving-XXXXXX", none for ".unreadable-<time>".
  path_ = dir_ + "/config/Tarnwell/" + std::string(230, 'v') + ".conf";
  Write(kBroken);
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.WriteStringValue(kKey, "Top", "5");
  EXPECT_EQ(api.Flush(), platform::kErrorAccessDenied);
  EXPECT_EQ(Contents(), kBroken);
}

// A broken file whose name for this second is taken (one set aside a moment ago) is kept under
// the next free name.
TEST_F(FileRegistryTest, ASecondBrokenFileWithinOneSecondIsKeptAsideToo) {
  Write(kBroken);
  const auto keptName = [&](std::time_t at) {
    std::tm local{};
    ::localtime_r(&at, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    return path_ + ".unreadable-" + stamp;
  };
  const std::time_t now = std::time(nullptr);
  for (std::time_t at = now; at < now + 3; ++at) std::ofstream(keptName(at)) << "earlier";
  FileRegistry api(path_);
  Registry registry(api, boxes_);
  registry.WriteStringValue(kKey, "Top", "5");
  ASSERT_EQ(api.Flush(), 0);
  EXPECT_EQ(Contents(), "[General]\nTop=5\n");
  int kept = 0;
  for (std::time_t at = now; at < now + 3; ++at) {
    std::ifstream earlier(keptName(at)), second(keptName(at) + "-2", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(earlier), {}), "earlier");
    if (second) kept += std::string(std::istreambuf_iterator<char>(second), {}) == kBroken;
  }
  EXPECT_EQ(kept, 1);
}

TEST_F(FileRegistryTest, ConfigHomeFromTheEnvironment) {
  const char* savedConfig = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = savedConfig ? savedConfig : "";
  ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
  EXPECT_EQ(FileRegistry::DefaultPath(), "/x/conf/Tarnwell/Vistrel.conf");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored, as XDG says
  ::setenv("HOME", "/home/u", 1);
  EXPECT_EQ(FileRegistry::DefaultPath(), "/home/u/.config/Tarnwell/Vistrel.conf");
  if (savedConfig) {
    ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace vistrel::linux_shell
