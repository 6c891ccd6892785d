// Draws the magnified view: one server-side XRender composite per redraw, from the root window
// (with every window on it) straight into the main window's own X window. The source rectangle
// and the scale both live in the picture transform, so the composite itself copies the whole
// view from (0, 0). Servers without RENDER get a client-side nearest-pixel copy instead.
#pragma once

#include <xcb/render.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {

struct SourceRect {
  std::int32_t x = 0, y = 0, width = 0, height = 0;
  bool operator==(const SourceRect&) const = default;
};

class ViewRenderer {
 public:
  explicit ViewRenderer(const Connection& x);
  ~ViewRenderer();
  ViewRenderer(const ViewRenderer&) = delete;
  ViewRenderer& operator=(const ViewRenderer&) = delete;

  // The window to draw into; its pictures are made here, once.
  void Attach(xcb_window_t window);

  // Copies source onto (0, 0, destWidth, destHeight) of the window, scaled with nearest-pixel
  // replication, and remembers the request so that Redraw can repeat it on an expose.
  void Draw(std::int32_t destWidth, std::int32_t destHeight, const SourceRect& source);
  void Redraw();

 private:
  void DrawWithRender(std::int32_t destWidth, std::int32_t destHeight, const SourceRect& source);
  void DrawOnClient(std::int32_t destWidth, std::int32_t destHeight, const SourceRect& source);
  xcb_render_pictformat_t FormatForVisual(xcb_visualid_t visual) const;

  const Connection& x_;
  bool hasRender_ = false;
  xcb_window_t window_ = XCB_NONE;
  xcb_render_picture_t rootPicture_ = XCB_NONE;
  xcb_render_picture_t windowPicture_ = XCB_NONE;
  XcbPtr<xcb_render_query_pict_formats_reply_t> formats_;
  xcb_render_transform_t transform_{};
  bool haveTransform_ = false;

  // The last request, for exposes.
  std::int32_t lastWidth_ = 0, lastHeight_ = 0;
  SourceRect lastSource_;
  bool haveLast_ = false;

  // Client-side copy: a graphics context and a view-sized buffer, kept between frames.
  xcb_gcontext_t gc_ = XCB_NONE;
  std::vector<std::uint32_t> buffer_;
};

// The 16.16 fixed-point transform that maps the view's pixel grid onto the source rectangle:
// scale source/view on each axis, source offset in the matrix (so no 16-bit composite offset is
// needed however large the zoom or the screen).
xcb_render_transform_t ViewTransform(std::int32_t destWidth, std::int32_t destHeight,
                                     const SourceRect& source);

}  // namespace vistrel::linux_shell::x11
