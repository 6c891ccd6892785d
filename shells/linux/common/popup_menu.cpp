#include "common/popup_menu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace vistrel::linux_shell {

void FillMenu(QMenu& menu) {
  for (const MenuItemDefinition& definition : menuProject.submenu) {
    QAction* action =
        definition.IsSeparator()
            ? menu.addSeparator()
            : menu.addAction(QString::fromUtf8(definition.caption.data(),
                                               static_cast<qsizetype>(definition.caption.size())));
    action->setData(static_cast<qulonglong>(definition.item));
  }
}

void ApplyMenuState(QMenu& menu, const MenuState& state) {
  for (QAction* action : menu.actions()) {
    if (action->isSeparator()) continue;
    const MenuItem item = ItemOf(*action);
    // Only a checked item shows a mark; Qt would draw an empty box for an unchecked one.
    const bool checked = state.Checked(item);
    action->setCheckable(checked);
    action->setChecked(checked);
    action->setEnabled(state.Enabled(item));
  }
}

MenuItem ItemOf(const QAction& action) {
  return static_cast<MenuItem>(action.data().toULongLong());
}

std::optional<MenuItem> ShowPopupMenu(const MenuState& state) {
  QMenu menu;
  FillMenu(menu);
  ApplyMenuState(menu, state);
  QAction* chosen = menu.exec(QCursor::pos());
  if (!chosen) return std::nullopt;
  return ItemOf(*chosen);
}

}  // namespace vistrel::linux_shell
