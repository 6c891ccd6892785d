// The tray's popup menu: built from the core's eighteen-item table with the live check marks
// and enabled states, shown at the mouse, and the chosen item handed back (not run). The same
// building blocks make the copy of the menu that StatusNotifier hosts show themselves.
#pragma once

#include <optional>

#include "app/menu.h"

class QAction;
class QMenu;

namespace vistrel::linux_shell {

std::optional<MenuItem> ShowPopupMenu(const MenuState& state);

// Adds the eighteen entries to an empty menu; each action carries its item.
void FillMenu(QMenu& menu);
// Gives the entries of a filled menu the core's check marks and enabled states; an entry that
// is already right is left alone, so calling this often costs nothing visible.
void ApplyMenuState(QMenu& menu, const MenuState& state);
MenuItem ItemOf(const QAction& action);

}  // namespace vistrel::linux_shell
