// Alt + Space and Alt + V through the desktop's GlobalShortcuts portal, for Wayland sessions
// where no program may grab keys. The desktop binds them (or other keys the user picks in its
// settings) and sends each press over D-Bus; presses reach the core on the UI thread.
#pragma once

#include <QString>
#include <QVariantMap>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/shell_hotkeys.h"

namespace vistrel::linux_shell::wayland {

// Whether a BindShortcuts answer (its code and results) says the desktop bound the shortcuts.
bool Bound(std::uint32_t code, const QVariantMap& results);

class PortalHotKeys : public ShellHotKeys {
 public:
  // binding: the index in hotkey::kBindings (0 Alt + Space, 1 Alt + V).
  explicit PortalHotKeys(std::function<void(int binding)> pressed);
  ~PortalHotKeys() override;

  // Opens the portal's session and binds both; tells the descriptions of the bindings the
  // desktop did not give (all of them when the portal failed: see Available()), from the event
  // loop once the desktop answered. Register() waits for that.
  std::vector<std::string> Register() override;
  void RegisterThen(const std::function<void(std::vector<std::string>)>& registered) override;
  // False after Register() unless the portal answered the binding: when the desktop has no
  // GlobalShortcuts portal, or its call failed or was refused (or there is no session bus).
  // Then only the program's own D-Bus control is left.
  bool Available() const override { return available_; }
  // Closes the portal's session; no press follows.
  void Shutdown() override;

 private:
  class Receiver;
  // The second step of RegisterThen, once the session is open.
  void Bind(const std::vector<std::string>& missing,
            const std::function<void(std::vector<std::string>)>& registered);
  std::function<void(int)> pressed_;
  std::unique_ptr<Receiver> receiver_;
  // The portal's session while the bindings are in force; presses count only then.
  QString session_;
  bool available_ = false;
};

}  // namespace vistrel::linux_shell::wayland
