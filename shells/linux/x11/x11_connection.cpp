#include "x11/x11_connection.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace vistrel::linux_shell::x11 {

xcb_connection_t* Connection::FromQt() {
  auto* native = qApp->nativeInterface<QNativeInterface::QX11Application>();
  return native ? native->connection() : nullptr;
}

Connection::Connection(xcb_connection_t* connection) : c_(connection) {
  // Qt opens the display named by DISPLAY; its screen number is the part after the dot.
  const char* display = std::getenv("DISPLAY");
  if (display) {
    const char* colon = std::strrchr(display, ':');
    const char* dot = colon ? std::strchr(colon, '.') : nullptr;
    if (dot) screenNumber_ = std::atoi(dot + 1);
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c_));
  for (int i = 0; it.rem; xcb_screen_next(&it), ++i) {
    if (i == screenNumber_ || !screen_) screen_ = it.data;
    if (i == screenNumber_) break;
  }
}

xcb_atom_t Connection::Atom(std::string_view name) const {
  if (const auto known = atoms_.find(std::string(name)); known != atoms_.end())
    return known->second;
  const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c_, xcb_intern_atom(c_, 0, static_cast<std::uint16_t>(name.size()), name.data()), nullptr));
  const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  if (atom != XCB_ATOM_NONE) atoms_.emplace(std::string(name), atom);
  return atom;
}

std::vector<std::uint32_t> Connection::CardinalsOrAtoms(xcb_window_t window, xcb_atom_t property,
                                                        xcb_atom_t type) const {
  std::vector<std::uint32_t> values;
  const XcbPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      c_, xcb_get_property(c_, 0, window, property, type, 0, 1024), nullptr));
  if (reply && reply->format == 32 && reply->type == type) {
    const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    values.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
  }
  return values;
}

void Connection::SetAtoms(xcb_window_t window, xcb_atom_t property,
                          const std::vector<xcb_atom_t>& atoms) const {
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, XCB_ATOM_ATOM, 32,
                      static_cast<std::uint32_t>(atoms.size()), atoms.data());
}

void Connection::SetString(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                           std::string_view bytes) const {
  xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window, property, type, 8,
                      static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

void Connection::SendRootMessage(xcb_window_t window, xcb_atom_t type, std::uint32_t d0,
                                 std::uint32_t d1, std::uint32_t d2, std::uint32_t d3) const {
  xcb_client_message_event_t event{};
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = window;
  event.type = type;
  event.data.data32[0] = d0;
  event.data.data32[1] = d1;
  event.data.data32[2] = d2;
  event.data.data32[3] = d3;
  xcb_send_event(c_, 0, Root(),
                 XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c_);
}

bool Connection::WindowManagerSupports(std::string_view atomName) const {
  const xcb_atom_t wanted = Atom(atomName);
  for (std::uint32_t atom : CardinalsOrAtoms(Root(), Atom("_NET_SUPPORTED"), XCB_ATOM_ATOM)) {
    if (atom == wanted) return true;
  }
  return false;
}

}  // namespace vistrel::linux_shell::x11
