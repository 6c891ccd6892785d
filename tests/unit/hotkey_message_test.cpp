// The two hot keys, and the box naming those another program already holds.
#include <gtest/gtest.h>

#include "hotkey/hotkey_bindings.h"
#include "hotkey/unavailable_message.h"

namespace vistrel {
namespace {

TEST(HotKeys, EachIsAltWithOneKeyAlone) {
  ASSERT_EQ(hotkey::kBindings.size(), 2u);
  const std::int32_t keys[] = {32, 86};  // space, V
  const std::string_view names[] = {"Alt + Space", "Alt + V"};
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_TRUE(hotkey::kBindings[i].altKey) << i;
    EXPECT_FALSE(hotkey::kBindings[i].winKey) << i;
    EXPECT_EQ(hotkey::kBindings[i].vKey, keys[i]);
    EXPECT_EQ(hotkey::kBindings[i].description, names[i]);
  }
}

TEST(HotKeys, TheBoxNamesTheCombinationsAnotherProgramHolds) {
  EXPECT_EQ(hotkey::UnavailableHotKeysText({"Alt + Space"}),
            "The hot key Alt + Space is already used by another program, so Vistrel can not use "
            "it.\r\nFreeze and Freeze and Lock still work from the menu of the tray icon.");
  EXPECT_EQ(hotkey::UnavailableHotKeysText({"Alt + Space", "Alt + V"}),
            "The hot keys Alt + Space and Alt + V are already used by another program, so Vistrel "
            "can not use them.\r\nFreeze and Freeze and Lock still work from the menu of the "
            "tray icon.");
}

}  // namespace
}  // namespace vistrel
