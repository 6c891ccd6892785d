#include "hotkey/unavailable_message.h"

namespace vistrel::hotkey {

std::string UnavailableHotKeysText(const std::vector<std::string>& keys) {
  std::string text;
  if (keys.size() == 1) {
    text = "The hot key " + keys[0] +
           " is already used by another program, so Vistrel can not use it.";
  } else {
    text = "The hot keys ";
    for (std::size_t i = 0; i < keys.size(); ++i) text += (i ? " and " : "") + keys[i];
    text += " are already used by another program, so Vistrel can not use them.";
  }
  return text + "\r\nFreeze and Freeze and Lock still work from the menu of the tray icon.";
}

}  // namespace vistrel::hotkey
