// The xdg-desktop-portal ScreenCast conversation of the Wayland backend: one session with every
// monitor (multiple), the pointer as cursor metadata, and the consent kept by the desktop
// (persist_mode 2) under a restore token that the caller stores, so the dialog appears once.
// It ends with the PipeWire remote's descriptor and each stream's node, place and size on the
// desktop.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vistrel::linux_shell::wayland {

struct ScreenCastStream {
  std::uint32_t node = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct ScreenCastSession {
  int pipewireFd = -1;  // the caller owns it
  std::vector<ScreenCastStream> streams;
  std::string restoreToken;  // for the next start; empty when the desktop gave none
};

// Why there is no screen: the text for the user, and whether the user said no (asking again may
// help) rather than the desktop being unable.
struct ScreenCastError {
  std::string text;
  bool refused = false;
};

// Runs Qt's event loop until the desktop has answered (a consent dialog may be open meanwhile).
// A refusal, a desktop without the portal or without cursor metadata gives nothing and the
// reason in error.
std::optional<ScreenCastSession> OpenScreenCast(const std::string& restoreToken,
                                                ScreenCastError& error);

}  // namespace vistrel::linux_shell::wayland
