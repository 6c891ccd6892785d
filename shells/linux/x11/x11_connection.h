// The X connection the program shares with Qt, and the few X requests every part of the shell
// needs: atoms, window properties, the root window and the screen's size in device pixels.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel::linux_shell::x11 {

// What libxcb hands over to be freed with free(): replies, errors, key code lists.
struct FreeWithFree {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using XcbPtr = std::unique_ptr<T, FreeWithFree>;

class Connection {
 public:
  // Takes the connection of the running QGuiApplication; nullptr when it is not on xcb.
  static xcb_connection_t* FromQt();

  explicit Connection(xcb_connection_t* connection);

  xcb_connection_t* Get() const { return c_; }
  xcb_window_t Root() const { return screen_->root; }
  xcb_screen_t* Screen() const { return screen_; }
  int ScreenNumber() const { return screenNumber_; }

  xcb_atom_t Atom(std::string_view name) const;
  std::vector<std::uint32_t> CardinalsOrAtoms(xcb_window_t window, xcb_atom_t property,
                                              xcb_atom_t type) const;
  void SetAtoms(xcb_window_t window, xcb_atom_t property,
                const std::vector<xcb_atom_t>& atoms) const;
  void SetString(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                 std::string_view bytes) const;
  // An EWMH client message to the root window (window-manager requests).
  void SendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0, std::uint32_t d1 = 0,
                       std::uint32_t d2 = 0, std::uint32_t d3 = 0) const;
  bool WindowManagerSupports(std::string_view atomName) const;

 private:
  xcb_connection_t* c_;
  xcb_screen_t* screen_ = nullptr;
  int screenNumber_ = 0;
  mutable std::map<std::string, xcb_atom_t> atoms_;
};

}  // namespace vistrel::linux_shell::x11
