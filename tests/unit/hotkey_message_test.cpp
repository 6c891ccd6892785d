// The box naming the hot keys another program already holds.
#include <gtest/gtest.h>

#include "hotkey/unavailable_message.h"

namespace vistrel {
namespace {

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
