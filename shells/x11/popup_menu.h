// The tray's popup menu: built from the core's eighteen-item table with the live check marks
// and enabled states, shown at the mouse, and the chosen item handed back (not run).
#pragma once

#include <optional>

#include "app/menu.h"

namespace vistrel::x11 {

std::optional<MenuItem> ShowPopupMenu(const MenuState& state);

}  // namespace vistrel::x11
