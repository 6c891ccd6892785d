#include "x11/screen_x11.h"

#include <xcb/randr.h>
#include <xcb/xinput.h>

#include <algorithm>

namespace vistrel::linux_shell::x11 {

XcbScreen::XcbScreen(const Connection& x, double twipsPerPixel)
    : x_(x), twipsPerPixel_(twipsPerPixel) {
  // The pointer is asked on a connection of our own: a reply on Qt's connection wakes Qt's
  // reader thread and then the UI thread again, several context switches a tick for one answer.
  xcb_connection_t* own = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(own) == 0) {
    pointer_ = own;
  } else {
    xcb_disconnect(own);
  }
}

XcbScreen::~XcbScreen() {
  if (pointer_) xcb_disconnect(pointer_);
}

void XcbScreen::SelectRawMotion(bool on) {
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
         on ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_MOTION} : 0u};
  xcb_input_xi_select_events(x_.Get(), x_.Root(), 1, &mask.head);
  selected_ = on;
}

bool XcbScreen::WatchPointerMotion() {
  xcb_connection_t* c = x_.Get();
  const xcb_query_extension_reply_t* xi = xcb_get_extension_data(c, &xcb_input_id);
  if (!xi || !xi->present) return false;
  // Qt has already agreed on an XInput 2 version for this connection (2.2 or later, where raw
  // events reach every client that selects them); a selection it refuses comes back as an error.
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1}, XCB_INPUT_XI_EVENT_MASK_RAW_MOTION};
  const XcbPtr<xcb_generic_error_t> error(
      xcb_request_check(c, xcb_input_xi_select_events_checked(c, x_.Root(), 1, &mask.head)));
  if (error) return false;
  xinputOpcode_ = xi->major_opcode;
  selected_ = true;
  watching_ = true;
  stillTicks_ = kStillTicks;
  return true;
}

bool XcbScreen::HandleXEvent(const void* event) {
  if (!watching_) return false;
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if ((generic->response_type & 0x7f) != XCB_GE_GENERIC) return false;
  const auto* ge = static_cast<const xcb_ge_generic_event_t*>(event);
  if (ge->extension != xinputOpcode_ || ge->event_type != XCB_INPUT_RAW_MOTION) return false;
  // The pointer moves: ask on every tick again, and hear no more of its events meanwhile.
  moved_ = true;
  stillTicks_ = 0;
  if (selected_) {
    SelectRawMotion(false);
    xcb_flush(x_.Get());
  }
  if (wake_) wake_();
  return true;
}

platform::CursorPoint XcbScreen::CursorPos() {
  const auto now = std::chrono::steady_clock::now();
  if (watching_ && selected_ && !moved_ && now - lastQuery_ < kWarpCheck) return last_;
  // Still for a while: listen for motion, before asking, so that none after the answer is missed.
  if (watching_ && !selected_ && stillTicks_ >= kStillTicks) SelectRawMotion(true);
  moved_ = false;
  lastQuery_ = now;
  const platform::CursorPoint before = last_;
  xcb_connection_t* c = pointer_ ? pointer_ : x_.Get();
  // The raw-motion selection above must reach the server before the question does.
  if (pointer_ && selected_) xcb_flush(x_.Get());
  const XcbPtr<xcb_query_pointer_reply_t> reply(
      xcb_query_pointer_reply(c, xcb_query_pointer(c, x_.Root()), nullptr));
  // On another X screen the pointer has no position here: keep the last one.
  if (reply && reply->same_screen) last_ = {reply->root_x, reply->root_y};
  if (last_.x == before.x && last_.y == before.y) {
    if (stillTicks_ < kStillTicks) ++stillTicks_;
  } else {
    // Moved without an event (a warp), or while nothing listened: follow it tick by tick.
    stillTicks_ = 0;
    if (selected_) SelectRawMotion(false);
  }
  return last_;
}

bool XcbScreen::WakesTimer1OnCursorMotion() {
  // Only while the raw events are selected: they were selected before the last question, so no
  // motion after its answer goes unheard.
  return wake_ && watching_ && selected_ && !moved_;
}

void XcbScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                              std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) {
  if (renderer_) renderer_->Draw(destWidth, destHeight, {srcX, srcY, srcWidth, srcHeight});
}

// The whole X screen (every monitor of it) is what the root picture can read.
double XcbScreen::WidthTwips() {
  return x_.Screen()->width_in_pixels * twipsPerPixel_;
}
double XcbScreen::HeightTwips() {
  return x_.Screen()->height_in_pixels * twipsPerPixel_;
}

namespace {

std::vector<platform::Monitor> RandrMonitors(xcb_connection_t* c, xcb_window_t root) {
  std::vector<platform::Monitor> monitors;
  XcbPtr<xcb_randr_query_version_reply_t> version(
      xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), nullptr));
  // Monitors came with RandR 1.5.
  if (!version || (version->major_version == 1 && version->minor_version < 5)) return monitors;
  XcbPtr<xcb_randr_get_monitors_reply_t> reply(
      xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, root, 1), nullptr));
  if (!reply) return monitors;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.get()); it.rem;
       xcb_randr_monitor_info_next(&it)) {
    const xcb_randr_monitor_info_t& m = *it.data;
    const platform::PixelRect whole{double(m.x), double(m.y), double(m.width), double(m.height)};
    // The primary monitor first.
    monitors.insert(m.primary ? monitors.begin() : monitors.end(), {whole, whole});
  }
  return monitors;
}

}  // namespace

std::vector<platform::Monitor> XcbScreen::Monitors() {
  xcb_connection_t* c = x_.Get();
  const xcb_screen_t* screen = x_.Screen();
  std::vector<platform::Monitor> monitors = RandrMonitors(c, x_.Root());
  if (monitors.empty()) {
    const platform::PixelRect whole{0, 0, double(screen->width_in_pixels),
                                    double(screen->height_in_pixels)};
    monitors.push_back({whole, whole});
  }
  // _NET_WORKAREA holds x, y, width, height for each desktop.
  const std::vector<std::uint32_t> desktop =
      x_.CardinalsOrAtoms(x_.Root(), x_.Atom("_NET_CURRENT_DESKTOP"), XCB_ATOM_CARDINAL);
  const std::vector<std::uint32_t> work =
      x_.CardinalsOrAtoms(x_.Root(), x_.Atom("_NET_WORKAREA"), XCB_ATOM_CARDINAL);
  const std::size_t at = 4 * (desktop.empty() ? 0 : desktop[0]);
  if (work.size() < at + 4) return monitors;
  const double wx = work[at], wy = work[at + 1], wr = wx + work[at + 2], wb = wy + work[at + 3];
  for (platform::Monitor& m : monitors) {
    const platform::PixelRect& a = m.whole;
    const double left = std::max(a.left, wx), top = std::max(a.top, wy);
    const double right = std::min(a.left + a.width, wr), bottom = std::min(a.top + a.height, wb);
    // A work area that leaves nothing of a monitor says nothing about it.
    if (right > left && bottom > top) m.work = {left, top, right - left, bottom - top};
  }
  return monitors;
}

}  // namespace vistrel::linux_shell::x11
