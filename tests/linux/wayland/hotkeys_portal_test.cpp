// What the program takes from the GlobalShortcuts portal's answer to BindShortcuts: bound or not,
// as the desktops answer it.
#include "wayland/hotkeys_portal.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace vistrel::linux_shell::wayland {
namespace {

TEST(PortalHotKeys, BoundByTheCodeOrByTheShortcutsGnome48SendsWithAnUnsetCode) {
  const QVariantMap none;
  const QVariantMap shortcuts{{QStringLiteral("shortcuts"), QStringList()}};
  struct Case {
    std::uint32_t code;
    QVariantMap results;
    bool bound;
  };
  const Case cases[] = {{0, shortcuts, true}, {0, none, true},       {2, shortcuts, true},
                        {2, none, false},     {1, shortcuts, false}, {1, none, false}};
  for (const Case& c : cases) {
    EXPECT_EQ(Bound(c.code, c.results), c.bound) << c.code << " " << c.results.size();
  }
}

}  // namespace
}  // namespace vistrel::linux_shell::wayland
