// The Registry module: full key paths split into a root and a sub-key, the malformed-path box,
// and what a read gives back (the text, "Error", or nothing) with no key left open.
#include "settings/registry.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace vistrel {
namespace {

using fakes::PrintTo;

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel";

class RegistryModule : public ::testing::Test {
 protected:
  fakes::FakeRegistryApi api;
  fakes::FakeMessageBoxes messages;
  Registry registry{api, messages};
};

struct BadPath {
  const char* what;
  const char* path;
  bool box;
};

class RegistryBadPath : public RegistryModule, public ::testing::WithParamInterface<BadPath> {};

TEST_P(RegistryBadPath, TouchesNothingAndReadsGiveNoResult) {
  const BadPath& c = GetParam();
  api.keys[kKey]["Top"] = "1440";
  EXPECT_EQ(registry.ReadStringValue(c.path, "Top"), std::nullopt);
  registry.CreateKey(c.path);
  registry.WriteStringValue(c.path, "Top", "1");
  EXPECT_TRUE(api.log.empty());
  EXPECT_EQ(api.keys.size(), 1u);
  EXPECT_EQ(api.keys[kKey]["Top"], "1440");
  ASSERT_EQ(messages.shown.size(), c.box ? 3u : 0u);
  for (const auto& box : messages.shown) {
    EXPECT_EQ(box.text, std::string("Incorrect Format:\n\n") + c.path);
    EXPECT_EQ(box.title, "Vistrel");
    EXPECT_EQ(box.style, 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryBadPath,
    ::testing::Values(BadPath{"lower case", "hkey_current_user\\Software\\Tarnwell\\Vistrel", true},
                      BadPath{"trailing backslash",
                              "HKEY_CURRENT_USER\\Software\\Tarnwell\\Vistrel\\", true},
                      BadPath{"no root", "Software\\Tarnwell\\Vistrel", true},
                      BadPath{"empty", "", true},
                      BadPath{"unknown root", "HKEY_FOO\\Software\\Tarnwell\\Vistrel", false},
                      BadPath{"root in the wrong case", "HKEY_Current_User\\Software", false}),
    fakes::NameFromWhat());

TEST_F(RegistryModule, SplitGivesTheRootAndRewritesThePathToTheSubKey) {
  struct Case {
    std::string path, rest;
    platform::KeyHandle root;
  };
  for (Case c : std::vector<Case>{
           {kKey, "Software\\Tarnwell\\Vistrel", 0x80000001},
           {"HKEY_CLASSES_ROOT", "", 0x80000000},
           {"HKEY_LOCAL_MACHINE\\A\\\\B", "A\\\\B", 0x80000002},
           {"HKEY_USERS\\x", "x", 0x80000003},
           {"HKEY_PERFORMANCE_DATA\\x", "x", 0x80000004},
           {"HKEY_CURRENT_CONFIG\\x", "x", 0x80000005},
           {"HKEY_DYN_DATA\\x", "x", 0x80000006},
           {"HKEY_FOO\\x", "x", 0},
           {"hkey_users\\x", "hkey_users\\x", 0},
       }) {
    std::string path = c.path;
    registry.SplitKeyPath(path);
    EXPECT_EQ(path, c.rest) << c.path;
    EXPECT_EQ(registry.RootKey, c.root) << c.path;
  }
}

TEST_F(RegistryModule, RootAloneAddressesTheRootKeyItself) {
  api.keys["HKEY_CURRENT_USER"]["Name"] = "value";
  EXPECT_EQ(registry.ReadStringValue("HKEY_CURRENT_USER", "Name"), "value");
  EXPECT_EQ(api.log.front(), "open-read HKEY_CURRENT_USER");
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(RegistryModule, CreateKeyMakesEveryMissingKeyAndClosesIt) {
  registry.CreateKey(kKey);
  EXPECT_EQ(api.keys.count(kKey), 1u);
  EXPECT_EQ(api.log, (std::vector<std::string>{std::string("create ") + kKey, "close"}));
  EXPECT_TRUE(api.open.empty());
}

struct ReadBack {
  const char* what;
  std::string written;
  std::string read;
};

class RegistryReadBack : public RegistryModule, public ::testing::WithParamInterface<ReadBack> {};

TEST_P(RegistryReadBack, WrittenTextReadsBackAsStoredWithNoKeyLeftOpen) {
  registry.CreateKey(kKey);
  registry.WriteStringValue(kKey, "Value", GetParam().written);
  EXPECT_EQ(api.keys[kKey]["Value"], GetParam().written);
  EXPECT_EQ(registry.ReadStringValue(kKey, "Value"), GetParam().read);
  EXPECT_TRUE(api.open.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegistryReadBack,
                         ::testing::Values(ReadBack{"plain", "1440", "1440"},
                                           ReadBack{"254 characters whole", std::string(254, 'x'),
                                                    std::string(254, 'x')},
                                           ReadBack{"255 characters are an error",
                                                    std::string(255, 'x'), "Error"},
                                           ReadBack{"leading spaces are lost", "  12", "12"},
                                           ReadBack{"trailing spaces are kept", "12  ", "12  "},
                                           ReadBack{"empty text", "", ""}),
                         fakes::NameFromWhat());

TEST_F(RegistryModule, MissingValueOrKeyReadsErrorAndLeavesNoKeyOpen) {
  registry.CreateKey(kKey);
  api.log.clear();
  EXPECT_EQ(registry.ReadStringValue(kKey, "Nothing"), "Error");
  EXPECT_EQ(api.log,
            (std::vector<std::string>{std::string("open-read ") + kKey, "query Nothing", "close"}));
  EXPECT_EQ(registry.ReadStringValue("HKEY_CURRENT_USER\\Software\\Nobody", "Top"), "Error");
  EXPECT_TRUE(api.open.empty());
}

TEST_F(RegistryModule, ZeroByteValueIsAnInvalidProcedureCallAfterTheKeyIsClosed) {
  api.keys[kKey]["Top"] = fakes::FakeRegistryApi::kZeroBytes;
  try {
    registry.ReadStringValue(kKey, "Top");
    ADD_FAILURE() << "no failure";
  } catch (const Failure& failure) {
    EXPECT_EQ(failure.Number(), 5);
    EXPECT_EQ(failure.Description(), "Invalid procedure call or argument");
  }
  EXPECT_TRUE(api.open.empty());
}

TEST_F(RegistryModule, WriteToAMissingKeyStoresNothingAndDoesNotCreateIt) {
  registry.WriteStringValue(kKey, "Top", "1440");
  EXPECT_EQ(api.keys.count(kKey), 0u);
  EXPECT_TRUE(api.open.empty());
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace vistrel
