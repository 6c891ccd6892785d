#include "popup_menu.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace vistrel::x11 {

std::optional<MenuItem> ShowPopupMenu(const MenuState& state) {
  QMenu menu;
  for (const MenuItemDefinition& definition : kPopupMenu) {
    if (definition.IsSeparator()) {
      menu.addSeparator();
      continue;
    }
    QAction* action =
        menu.addAction(QString::fromUtf8(definition.caption.data(), definition.caption.size()));
    action->setData(static_cast<qulonglong>(definition.item));
    // Only a checked item shows a mark; Qt would draw an empty box for an unchecked one.
    const bool checked = state.Checked(definition.item);
    action->setCheckable(checked);
    action->setChecked(checked);
    action->setEnabled(state.Enabled(definition.item));
  }
  QAction* chosen = menu.exec(QCursor::pos());
  if (!chosen) return std::nullopt;
  return static_cast<MenuItem>(chosen->data().toULongLong());
}

}  // namespace vistrel::x11
