#include "x11/tray_host_watch.h"

#include <xcb/xfixes.h>

#include <QTimer>
#include <string>
#include <utility>

namespace vistrel::linux_shell::x11 {

TrayHostWatch::TrayHostWatch(const Connection& x, std::function<void()> hostChanged)
    : hostChanged_(std::move(hostChanged)) {
  xcb_connection_t* c = x.Get();
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
  if (!ext || !ext->present) return;
  // The version must be agreed before any other XFIXES request; its answer is not needed.
  XcbPtr<xcb_xfixes_query_version_reply_t>(
      xcb_xfixes_query_version_reply(c, xcb_xfixes_query_version(c, 5, 0), nullptr));
  xfixesEvent_ = ext->first_event;
  selection_ = x.Atom("_NET_SYSTEM_TRAY_S" + std::to_string(x.ScreenNumber()));
  // A window of our own to receive the notifications on; the root's event mask is Qt's.
  const xcb_window_t watcher = xcb_generate_id(c);
  xcb_create_window(c, XCB_COPY_FROM_PARENT, watcher, x.Root(), -1, -1, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  xcb_xfixes_select_selection_input(c, watcher, selection_,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  xcb_flush(c);
}

void TrayHostWatch::HandleXEvent(const void* event) {
  if (!xfixesEvent_) return;
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if ((generic->response_type & 0x7f) != xfixesEvent_ + XCB_XFIXES_SELECTION_NOTIFY) return;
  const auto* notify = static_cast<const xcb_xfixes_selection_notify_event_t*>(event);
  if (notify->selection != selection_ || notify->owner == XCB_NONE) return;
  // Let Qt dock its icon window with the new host first, then tell the core.
  QTimer::singleShot(0, [this] { hostChanged_(); });
}

}  // namespace vistrel::linux_shell::x11
