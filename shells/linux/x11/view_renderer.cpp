#include "x11/view_renderer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "magnifier/nearest_copy.h"

namespace vistrel::linux_shell::x11 {
namespace {

xcb_render_fixed_t ToFixed(double value) {
  return static_cast<xcb_render_fixed_t>(std::llround(value * 65536.0));
}

}  // namespace

xcb_render_transform_t ViewTransform(std::int32_t destWidth, std::int32_t destHeight,
                                     const SourceRect& source) {
  xcb_render_transform_t t{};
  t.matrix11 = ToFixed(static_cast<double>(source.width) / destWidth);
  t.matrix13 = ToFixed(source.x);
  t.matrix22 = ToFixed(static_cast<double>(source.height) / destHeight);
  t.matrix23 = ToFixed(source.y);
  t.matrix33 = ToFixed(1.0);
  return t;
}

ViewRenderer::ViewRenderer(const Connection& x) : x_(x) {
  xcb_connection_t* c = x_.Get();
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_render_id);
  if (ext && ext->present) {
    const XcbPtr<xcb_render_query_version_reply_t> version(
        xcb_render_query_version_reply(c, xcb_render_query_version(c, 0, 11), nullptr));
    // Transforms and filters came with RENDER 0.6.
    hasRender_ = version && (version->major_version > 0 || version->minor_version >= 6);
  }
  if (hasRender_) {
    formats_.reset(
        xcb_render_query_pict_formats_reply(c, xcb_render_query_pict_formats(c), nullptr));
    hasRender_ = formats_ != nullptr;
  }
  if (!hasRender_) {
    std::fprintf(stderr,
                 "Vistrel: this X server has no usable RENDER extension; the magnified view is "
                 "drawn with a slower copy through the program instead.\n");
  }
}

ViewRenderer::~ViewRenderer() {
  xcb_connection_t* c = x_.Get();
  if (rootPicture_) xcb_render_free_picture(c, rootPicture_);
  if (windowPicture_) xcb_render_free_picture(c, windowPicture_);
  if (gc_) xcb_free_gc(c, gc_);
}

xcb_render_pictformat_t ViewRenderer::FormatForVisual(xcb_visualid_t visual) const {
  xcb_render_pictscreen_iterator_t screens =
      xcb_render_query_pict_formats_screens_iterator(formats_.get());
  for (; screens.rem; xcb_render_pictscreen_next(&screens)) {
    xcb_render_pictdepth_iterator_t depths = xcb_render_pictscreen_depths_iterator(screens.data);
    for (; depths.rem; xcb_render_pictdepth_next(&depths)) {
      xcb_render_pictvisual_iterator_t visuals = xcb_render_pictdepth_visuals_iterator(depths.data);
      for (; visuals.rem; xcb_render_pictvisual_next(&visuals)) {
        if (visuals.data->visual == visual) return visuals.data->format;
      }
    }
  }
  return XCB_NONE;
}

void ViewRenderer::Attach(xcb_window_t window) {
  xcb_connection_t* c = x_.Get();
  window_ = window;
  if (!hasRender_) {
    gc_ = xcb_generate_id(c);
    xcb_create_gc(c, gc_, window_, 0, nullptr);
    return;
  }
  const XcbPtr<xcb_get_window_attributes_reply_t> attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window_), nullptr));
  const xcb_visualid_t windowVisual = attributes ? attributes->visual : x_.Screen()->root_visual;

  // The root picture sees through to every window on the screen, as the screen shows them.
  rootPicture_ = xcb_generate_id(c);
  const std::uint32_t includeInferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
  xcb_render_create_picture(c, rootPicture_, x_.Root(), FormatForVisual(x_.Screen()->root_visual),
                            XCB_RENDER_CP_SUBWINDOW_MODE, &includeInferiors);
  static constexpr char kNearest[] = "nearest";
  xcb_render_set_picture_filter(c, rootPicture_, sizeof kNearest - 1, kNearest, 0, nullptr);

  windowPicture_ = xcb_generate_id(c);
  xcb_render_create_picture(c, windowPicture_, window_, FormatForVisual(windowVisual), 0, nullptr);
  xcb_flush(c);
}

void ViewRenderer::Draw(std::int32_t destWidth, std::int32_t destHeight, const SourceRect& source) {
  lastWidth_ = destWidth;
  lastHeight_ = destHeight;
  lastSource_ = source;
  haveLast_ = true;
  Redraw();
}

void ViewRenderer::Redraw() {
  if (!haveLast_ || window_ == XCB_NONE) return;
  // An empty view or source has nothing to show (and would divide by zero).
  if (lastWidth_ <= 0 || lastHeight_ <= 0 || lastSource_.width <= 0 || lastSource_.height <= 0) {
    return;
  }
  if (hasRender_) {
    DrawWithRender(lastWidth_, lastHeight_, lastSource_);
  } else {
    DrawOnClient(lastWidth_, lastHeight_, lastSource_);
  }
}

void ViewRenderer::DrawWithRender(std::int32_t destWidth, std::int32_t destHeight,
                                  const SourceRect& source) {
  xcb_connection_t* c = x_.Get();
  const xcb_render_transform_t transform = ViewTransform(destWidth, destHeight, source);
  // The transform is picture state: send it only when the rectangle or the view changed.
  if (!haveTransform_ || std::memcmp(&transform, &transform_, sizeof transform) != 0) {
    xcb_render_set_picture_transform(c, rootPicture_, transform);
    transform_ = transform;
    haveTransform_ = true;
  }
  xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, rootPicture_, XCB_NONE, windowPicture_, 0, 0, 0,
                       0, 0, 0, static_cast<std::uint16_t>(std::min(destWidth, 65535)),
                       static_cast<std::uint16_t>(std::min(destHeight, 65535)));
  xcb_flush(c);
}

void ViewRenderer::DrawOnClient(std::int32_t destWidth, std::int32_t destHeight,
                                const SourceRect& source) {
  xcb_connection_t* c = x_.Get();
  const xcb_screen_t* screen = x_.Screen();
  if (screen->root_depth != 24 && screen->root_depth != 32) return;
  // Only the part of the source that lies on the screen can be read; the rest shows black, as
  // the composite shows it.
  const std::int32_t left = std::max(source.x, 0);
  const std::int32_t top = std::max(source.y, 0);
  const std::int32_t right =
      std::min(source.x + source.width, std::int32_t{screen->width_in_pixels});
  const std::int32_t bottom =
      std::min(source.y + source.height, std::int32_t{screen->height_in_pixels});
  const std::size_t pixels = static_cast<std::size_t>(destWidth) * destHeight;
  if (buffer_.size() != pixels) buffer_.assign(pixels, 0);
  std::fill(buffer_.begin(), buffer_.end(), 0);
  if (right > left && bottom > top) {
    const XcbPtr<xcb_get_image_reply_t> image(xcb_get_image_reply(
        c,
        xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, x_.Root(), static_cast<std::int16_t>(left),
                      static_cast<std::int16_t>(top), static_cast<std::uint16_t>(right - left),
                      static_cast<std::uint16_t>(bottom - top), ~0u),
        nullptr));
    if (image) {
      magnifier::CopyNearest(
          {xcb_get_image_data(image.get()), (right - left) * 4, right - left, bottom - top},
          {double(source.x - left), double(source.y - top), double(source.width),
           double(source.height)},
          {reinterpret_cast<std::uint8_t*>(buffer_.data()), destWidth * 4, destWidth, destHeight});
    }
  }
  // Rows in slices that stay under the request size limit.
  const std::int32_t rowsPerRequest = std::max(1, 65536 / std::max(destWidth, 1));
  for (std::int32_t y = 0; y < destHeight; y += rowsPerRequest) {
    const std::int32_t rows = std::min(rowsPerRequest, destHeight - y);
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<std::uint16_t>(destWidth),
                  static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(y), 0,
                  screen->root_depth, static_cast<std::uint32_t>(destWidth * rows * 4),
                  reinterpret_cast<const std::uint8_t*>(buffer_.data() +
                                                        static_cast<std::size_t>(y) * destWidth));
  }
  xcb_flush(c);
}

}  // namespace vistrel::linux_shell::x11
