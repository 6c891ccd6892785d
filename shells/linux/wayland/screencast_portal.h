// The xdg-desktop-portal ScreenCast conversation of the Wayland backend: one session with every
// monitor (multiple), the pointer as cursor metadata, and the consent kept by the desktop
// (persist_mode 2) under a restore token that the caller stores, so the dialog appears once.
// It ends with the PipeWire remote's descriptor and each stream's node, place and size on the
// desktop.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QObject;

namespace vistrel::linux_shell::wayland {

struct ScreenCastStream {
  std::uint32_t node = 0;
  int x = 0, y = 0, width = 0, height = 0;
};

struct ScreenCastSession {
  int pipewireFd = -1;  // the caller owns it
  std::vector<ScreenCastStream> streams;
  std::string restoreToken;  // for the next start; empty when the desktop gave none
  std::string handle;        // the portal's session object, which ends the share when closed
};

// Why there is no screen: the text for the user, and whether the user said no or the desktop
// did not answer (asking again may help) rather than the desktop being unable.
struct ScreenCastError {
  std::string text;
  bool refused = false;
  bool unanswered = false;
};

// Runs Qt's event loop until the desktop has answered (a consent dialog may be open meanwhile).
// A refusal, a desktop without the portal or without cursor metadata, or a portal that does not
// answer a call within seconds (or a request within minutes) gives nothing and the reason in
// error.
std::optional<ScreenCastSession> OpenScreenCast(const std::string& restoreToken,
                                                ScreenCastError& error);

// The portal session of a running cast: closed tells, from the event loop, that the desktop
// ended it (the user stopped sharing, or the compositor lost its streams). The session is
// closed on the portal when the watch goes, so a cast given up leaves nothing behind.
class ScreenCastSessionWatch {
 public:
  ScreenCastSessionWatch(std::string handle, std::function<void()> closed);
  ~ScreenCastSessionWatch();
  ScreenCastSessionWatch(const ScreenCastSessionWatch&) = delete;
  ScreenCastSessionWatch& operator=(const ScreenCastSessionWatch&) = delete;

 private:
  std::string handle_;
  std::unique_ptr<QObject> receiver_;
};

}  // namespace vistrel::linux_shell::wayland
