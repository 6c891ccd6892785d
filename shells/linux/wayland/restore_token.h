// The token under which the desktop keeps the user's consent to share the screen. It is good for
// one start only: each start hands in the last one and keeps the new one. Kept per user in
// $XDG_STATE_HOME/Tarnwell/Vistrel.screencast-token (~/.local/state by default).
#pragma once

#include <string>

namespace vistrel::linux_shell::wayland {

std::string LoadRestoreToken();
// A failed write is only said on standard error: the cost is one more consent dialog.
void SaveRestoreToken(const std::string& token);

}  // namespace vistrel::linux_shell::wayland
