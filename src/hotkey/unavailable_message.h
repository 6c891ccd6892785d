// The box that tells the user, once after start-up, which hot keys another program already
// holds; the menu items still do what the keys would.
#pragma once

#include <string>
#include <vector>

namespace vistrel::hotkey {

// keys: the descriptions of the unavailable bindings ("Alt + Space").
std::string UnavailableHotKeysText(const std::vector<std::string>& keys);

}  // namespace vistrel::hotkey
