#include "x11/hotkeys_x11.h"

#include <xcb/xcb_keysyms.h>

#include <QTimer>
#include <memory>
#include <set>

#include "hotkey/hotkey_bindings.h"

namespace vistrel::linux_shell::x11 {
namespace {
constexpr std::uint32_t kXkSpace = 0x0020;
constexpr std::uint32_t kXkV = 0x0076;
constexpr std::uint32_t kXkAltL = 0xffe9;
constexpr std::uint32_t kXkNumLock = 0xff7f;
constexpr std::uint8_t kBadAccess = 10;

std::uint32_t KeysymFor(std::int32_t virtualKey) {
  return virtualKey == hotkey::kVkSpace ? kXkSpace : kXkV;
}

struct FreeKeySymbols {
  void operator()(xcb_key_symbols_t* symbols) const { xcb_key_symbols_free(symbols); }
};
using KeySymbols = std::unique_ptr<xcb_key_symbols_t, FreeKeySymbols>;
}  // namespace

XcbHotKeys::XcbHotKeys(const Connection& x, std::function<void(int)> pressed)
    : x_(x), pressed_(std::move(pressed)) {}

XcbHotKeys::~XcbHotKeys() = default;

std::uint16_t XcbHotKeys::ModifierMaskFor(std::uint32_t keysym) const {
  xcb_connection_t* c = x_.Get();
  const KeySymbols symbols(xcb_key_symbols_alloc(c));
  const XcbPtr<xcb_keycode_t> codes(symbols ? xcb_key_symbols_get_keycode(symbols.get(), keysym)
                                            : nullptr);
  std::uint16_t mask = 0;
  const XcbPtr<xcb_get_modifier_mapping_reply_t> mapping(
      xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
  if (codes && mapping) {
    const xcb_keycode_t* keys = xcb_get_modifier_mapping_keycodes(mapping.get());
    const int perModifier = mapping->keycodes_per_modifier;
    for (int modifier = 0; modifier < 8; ++modifier) {
      for (int i = 0; i < perModifier; ++i) {
        for (const xcb_keycode_t* code = codes.get(); *code != XCB_NO_SYMBOL; ++code) {
          if (keys[modifier * perModifier + i] == *code)
            mask |= static_cast<std::uint16_t>(1 << modifier);
        }
      }
    }
  }
  return mask;
}

std::vector<std::string> XcbHotKeys::Register() {
  xcb_connection_t* c = x_.Get();
  altMask_ = ModifierMaskFor(kXkAltL);
  if (altMask_ == 0) altMask_ = XCB_MOD_MASK_1;
  const std::uint16_t numLock = ModifierMaskFor(kXkNumLock);
  ignoredMask_ = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock);
  const std::uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, numLock,
                                    static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | numLock)};

  const KeySymbols symbols(xcb_key_symbols_alloc(c));
  std::vector<std::string> unavailable;
  for (std::size_t b = 0; b < hotkey::kBindings.size(); ++b) {
    const hotkey::Binding& binding = hotkey::kBindings[b];
    const XcbPtr<xcb_keycode_t> codes(
        xcb_key_symbols_get_keycode(symbols.get(), KeysymFor(binding.vKey)));
    bool refused = codes == nullptr;
    std::set<std::uint16_t> done;
    for (const xcb_keycode_t* code = codes.get(); code && *code != XCB_NO_SYMBOL; ++code) {
      for (std::uint16_t variant : variants) {
        const auto modifiers = static_cast<std::uint16_t>(altMask_ | variant);
        if (!done.insert(static_cast<std::uint16_t>(*code << 8 | modifiers)).second) continue;
        const XcbPtr<xcb_generic_error_t> error(
            xcb_request_check(c, xcb_grab_key_checked(c, 0, x_.Root(), modifiers, *code,
                                                      XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
        if (error) {
          if (error->error_code == kBadAccess) refused = true;
          continue;
        }
        grabs_.push_back({static_cast<int>(b), *code, modifiers});
      }
    }
    if (refused) unavailable.emplace_back(binding.description);
  }
  xcb_flush(c);
  active_ = true;
  return unavailable;
}

void XcbHotKeys::Shutdown() {
  if (!active_) return;
  active_ = false;
  xcb_connection_t* c = x_.Get();
  for (const Grab& grab : grabs_) xcb_ungrab_key(c, grab.keycode, x_.Root(), grab.modifiers);
  grabs_.clear();
  xcb_flush(c);
}

bool XcbHotKeys::HandleXEvent(const void* event) {
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if (!active_ || (generic->response_type & 0x7f) != XCB_KEY_PRESS) return false;
  const auto* press = static_cast<const xcb_key_press_event_t*>(event);
  if (press->event != x_.Root()) return false;
  const auto modifiers = static_cast<std::uint16_t>(press->state & 0xff & ~ignoredMask_);
  for (const Grab& grab : grabs_) {
    if (grab.keycode == press->detail && (grab.modifiers & ~ignoredMask_) == modifiers) {
      const int binding = grab.binding;
      // Handlers may wait (Freeze and Lock) or open boxes: not inside Qt's X event handling.
      QTimer::singleShot(0, [this, binding] {
        if (active_) pressed_(binding);
      });
      return true;
    }
  }
  return false;
}

}  // namespace vistrel::linux_shell::x11
