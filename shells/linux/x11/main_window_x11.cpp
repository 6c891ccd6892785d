#include "x11/main_window_x11.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "app/main_window_definition.h"
#include "app/twips.h"

namespace vistrel::linux_shell::x11 {
namespace def = main_window_definition;

QtMainWindow::QtMainWindow(const Connection& x, double twipsPerPixel,
                           std::unique_ptr<DesktopWindowControl> control)
    : ShellWindow(twipsPerPixel, std::move(control)), x_(x) {}

QtMainWindow::~QtMainWindow() = default;

void QtMainWindow::Create(MainWindowEvents events) {
  events_ = std::move(events);
  renderer_ = std::make_unique<ViewRenderer>(x_);
  widget_ = std::make_unique<ViewWidget>(
      events_, [this](QWidget&) { renderer_->Redraw(); }, true);
  Dress(*widget_);
  // The X window is made with the defined client area (not Qt's default size), so that no
  // tool that looks before the first mapping sees another.
  widget_->setGeometry(
      Logical(ToPixels(def::kClientLeftTwips)), Logical(ToPixels(def::kClientTopTwips)),
      Logical(ToPixels(def::kClientWidthTwips)), Logical(ToPixels(def::kClientHeightTwips)));
  window_ = static_cast<xcb_window_t>(widget_->winId());

  // Fixed names for window rules and for anyone looking for the window, whatever the binary
  // is called: instance "vistrel", class "Vistrel".
  static constexpr char kWmClass[] = "vistrel\0Vistrel";
  x_.SetString(window_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING,
               std::string_view(kWmClass, sizeof kWmClass));
  // A tool window's frame: border, resize handles, title and the close function; no window
  // menu button, no minimise or maximise.
  constexpr std::uint32_t kFunctions = 1, kDecorations = 2;
  constexpr std::uint32_t kResize = 2, kMove = 4, kClose = 32;
  constexpr std::uint32_t kBorder = 2, kResizeHandles = 4, kTitle = 8;
  const std::uint32_t motif[5] = {kFunctions | kDecorations, kResize | kMove | kClose,
                                  kBorder | kResizeHandles | kTitle, 0, 0};
  const xcb_atom_t motifHints = x_.Atom("_MOTIF_WM_HINTS");
  xcb_change_property(x_.Get(), XCB_PROP_MODE_REPLACE, window_, motifHints, motifHints, 32, 5,
                      motif);
  renderer_->Attach(window_);

  LearnExtentsBeforeMapping();
  const FrameExtents e = assumedExtents_;
  Outer outer;
  outer.x = ToPixels(def::kClientLeftTwips) - e.left;
  outer.y = ToPixels(def::kClientTopTwips) - e.top;
  outer.width = ToPixels(def::kClientWidthTwips) + e.left + e.right;
  outer.height = ToPixels(def::kClientHeightTwips) + e.top + e.bottom;
  ApplyOuter(outer);
}

FrameExtents QtMainWindow::Extents() const {
  const std::vector<std::uint32_t> v =
      x_.CardinalsOrAtoms(window_, x_.Atom("_NET_FRAME_EXTENTS"), XCB_ATOM_CARDINAL);
  if (v.size() < 4) return {};
  return {static_cast<int>(v[0]), static_cast<int>(v[1]), static_cast<int>(v[2]),
          static_cast<int>(v[3])};
}

void QtMainWindow::LearnExtentsBeforeMapping() {
  // The stored geometry is the outer frame, so the frame's size must be known before the
  // window is first placed; a window manager that offers it tells us on request.
  if (!x_.WindowManagerSupports("_NET_REQUEST_FRAME_EXTENTS")) return;
  x_.SendRootMessage(window_, x_.Atom("_NET_REQUEST_FRAME_EXTENTS"), 0);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  const xcb_atom_t property = x_.Atom("_NET_FRAME_EXTENTS");
  while (std::chrono::steady_clock::now() < deadline) {
    if (x_.CardinalsOrAtoms(window_, property, XCB_ATOM_CARDINAL).size() >= 4) {
      assumedExtents_ = Extents();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

QtMainWindow::Outer QtMainWindow::CurrentOuter() {
  if (!widget_->isVisible()) return hiddenOuter_;
  xcb_connection_t* c = x_.Get();
  const XcbPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, window_, x_.Root(), 0, 0), nullptr));
  const XcbPtr<xcb_get_geometry_reply_t> geometry(
      xcb_get_geometry_reply(c, xcb_get_geometry(c, window_), nullptr));
  Outer outer = hiddenOuter_;
  if (origin && geometry) {
    const FrameExtents e = Extents();
    outer.x = origin->dst_x - e.left;
    outer.y = origin->dst_y - e.top;
    outer.width = geometry->width + e.left + e.right;
    outer.height = geometry->height + e.top + e.bottom;
  }
  return outer;
}

void QtMainWindow::ApplyOuter(const Outer& outer) {
  const FrameExtents e = widget_->isVisible() ? Extents() : assumedExtents_;
  const int clientWidth = std::max(1, outer.width - e.left - e.right);
  const int clientHeight = std::max(1, outer.height - e.top - e.bottom);
  widget_->setGeometry(Logical(outer.x + e.left), Logical(outer.y + e.top), Logical(clientWidth),
                       Logical(clientHeight));
  if (!widget_->isVisible()) {
    hiddenOuter_ = outer;
    // Qt keeps a hidden window's geometry to itself until it maps it; the X window gets it now.
    const std::uint32_t values[] = {
        static_cast<std::uint32_t>(outer.x + e.left), static_cast<std::uint32_t>(outer.y + e.top),
        static_cast<std::uint32_t>(clientWidth), static_cast<std::uint32_t>(clientHeight)};
    xcb_configure_window(x_.Get(), window_,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(x_.Get());
  }
}

void QtMainWindow::SetNetWmStateBeforeMapping() {
  // No taskbar or pager entry: the tray icon is the program's handle. A window manager drops
  // the state when the window is withdrawn, so it is set again before every mapping.
  std::vector<xcb_atom_t> state{x_.Atom("_NET_WM_STATE_SKIP_TASKBAR"),
                                x_.Atom("_NET_WM_STATE_SKIP_PAGER")};
  if (Topmost()) state.push_back(x_.Atom("_NET_WM_STATE_ABOVE"));
  x_.SetAtoms(window_, x_.Atom("_NET_WM_STATE"), state);
}

void QtMainWindow::Show() {
  if (widget_->isVisible()) return;
  SetNetWmStateBeforeMapping();
  shownOuter_ = hiddenOuter_;
  awaitingExtents_ = true;
  widget_->show();
  PlaceOnceShown();
}

bool QtMainWindow::HandleXEvent(const void* event) {
  const auto* generic = static_cast<const xcb_generic_event_t*>(event);
  if (!awaitingExtents_ || (generic->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
  const auto* notify = static_cast<const xcb_property_notify_event_t*>(event);
  if (notify->window != window_ || notify->atom != x_.Atom("_NET_FRAME_EXTENTS")) return false;
  awaitingExtents_ = false;
  const FrameExtents real = Extents();
  if (real == assumedExtents_) return false;
  // The frame differs from the one the window was placed for: place a stored frame again, so
  // that the next close stores what the last one did (no creep). A defined client area stays
  // where it is; only the outer frame it implies changes.
  const FrameExtents old = assumedExtents_;
  assumedExtents_ = real;
  if (outerStored_) {
    ApplyOuter(shownOuter_);
  } else {
    hiddenOuter_.x += old.left - real.left;
    hiddenOuter_.y += old.top - real.top;
    hiddenOuter_.width += real.left + real.right - old.left - old.right;
    hiddenOuter_.height += real.top + real.bottom - old.top - old.bottom;
  }
  return false;
}

void QtMainWindow::Hide() {
  if (!widget_->isVisible()) return;
  hiddenOuter_ = CurrentOuter();
  ReadBackPlace();
  widget_->hide();
}

float QtMainWindow::Left() {
  if (DesktopPlaces()) return PlacedLeft();
  return PixelsToTwips(CurrentOuter().x, twipsPerPixel_);
}
float QtMainWindow::Top() {
  if (DesktopPlaces()) return PlacedTop();
  return PixelsToTwips(CurrentOuter().y, twipsPerPixel_);
}
float QtMainWindow::Width() {
  return PixelsToTwips(CurrentOuter().width, twipsPerPixel_);
}
float QtMainWindow::Height() {
  return PixelsToTwips(CurrentOuter().height, twipsPerPixel_);
}

void QtMainWindow::SetOuter(int Outer::*field, float twips) {
  outerStored_ = true;
  Outer outer = CurrentOuter();
  outer.*field = ToPixels(twips);
  ApplyOuter(outer);
}
void QtMainWindow::SetLeft(float twips) {
  SetOuter(&Outer::x, twips);
  Place(twips, PlacedTop());
}
void QtMainWindow::SetTop(float twips) {
  SetOuter(&Outer::y, twips);
  Place(PlacedLeft(), twips);
}
void QtMainWindow::SetWidth(float twips) {
  SetOuter(&Outer::width, twips);
}
void QtMainWindow::SetHeight(float twips) {
  SetOuter(&Outer::height, twips);
}

void QtMainWindow::SetWindowPos(std::int32_t insertAfter, std::int32_t, std::int32_t, std::int32_t,
                                std::int32_t, std::uint32_t) {
  if (!SetTopmost(insertAfter)) return;
  // A hidden window gets the state when it is next mapped; a mapped one asks the window manager.
  if (widget_->isVisible()) {
    constexpr std::uint32_t kRemove = 0, kAdd = 1, kSourceApplication = 1;
    x_.SendRootMessage(window_, x_.Atom("_NET_WM_STATE"), Topmost() ? kAdd : kRemove,
                       x_.Atom("_NET_WM_STATE_ABOVE"), 0, kSourceApplication);
  }
}

std::uintptr_t QtMainWindow::PichookHandle() {
  return window_;
}

}  // namespace vistrel::linux_shell::x11
