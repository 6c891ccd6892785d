// The floor program (floor.cpp) as a magnifier could do better: it learns that the pointer moved
// from XInput2 raw motion events instead of asking the server on every tick. The tick keeps its
// meaning (every 50 ms: has the pointer moved? then one composite), but a tick with no motion
// since the last one costs no request at all. After the first raw event of a tick the events are
// switched off until the next query, so a 1000 Hz mouse wakes the program at most once a tick;
// they are switched on again before the query, so no motion can slip between the two. Once a
// second the pointer is asked for anyway: a warp by another program makes no raw event.
// Written with xcb, as the Linux shell is, to measure the change before the shell makes it.
//   vistrel_floor_xi2 [WIDTH HEIGHT [ZOOM]]
#include <poll.h>
#include <unistd.h>
#include <xcb/render.h>
#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
xcb_render_pictformat_t FormatOf(const xcb_render_query_pict_formats_reply_t* formats,
                                 xcb_visualid_t visual) {
  auto screens = xcb_render_query_pict_formats_screens_iterator(formats);
  for (; screens.rem; xcb_render_pictscreen_next(&screens)) {
    auto depths = xcb_render_pictscreen_depths_iterator(screens.data);
    for (; depths.rem; xcb_render_pictdepth_next(&depths)) {
      auto visuals = xcb_render_pictdepth_visuals_iterator(depths.data);
      for (; visuals.rem; xcb_render_pictvisual_next(&visuals)) {
        if (visuals.data->visual == visual) return visuals.data->format;
      }
    }
  }
  return XCB_NONE;
}

void SelectRawMotion(xcb_connection_t* c, xcb_window_t root, bool on) {
  struct {
    xcb_input_event_mask_t head;
    std::uint32_t bits;
  } mask{{XCB_INPUT_DEVICE_ALL_MASTER, 1},
         on ? std::uint32_t{XCB_INPUT_XI_EVENT_MASK_RAW_MOTION} : 0u};
  xcb_input_xi_select_events(c, root, 1, &mask.head);
}
}  // namespace

int main(int argc, char** argv) {
  const int w = argc > 2 ? std::atoi(argv[1]) : 220, h = argc > 2 ? std::atoi(argv[2]) : 165;
  const int zoom = argc > 3 ? std::atoi(argv[3]) : 2;
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(c) || w < 1 || h < 1 || zoom < 1) {
    return std::fprintf(stderr, "no display or bad size\n"), 1;
  }
  auto it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
  const xcb_screen_t* screen = it.data;
  const xcb_window_t root = screen->root;
  const xcb_query_extension_reply_t* xi = xcb_get_extension_data(c, &xcb_input_id);
  // Raw events reach every client that selects them, grabs or not, from XInput 2.1 on.
  auto* version = xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr);
  if (!xi || !xi->present || !version || version->major_version < 2) {
    return std::fprintf(stderr, "no XInput 2\n"), 1;
  }
  std::free(version);

  const xcb_window_t win = xcb_generate_id(c);
  const std::uint32_t values[] = {XCB_BACK_PIXMAP_NONE, XCB_EVENT_MASK_EXPOSURE};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, win, root, 0, 0, w, h, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual,
                    XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values);
  const std::uint32_t pid = static_cast<std::uint32_t>(getpid());
  auto* pidAtom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 11, "_NET_WM_PID"), nullptr);
  if (pidAtom) {
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, pidAtom->atom, XCB_ATOM_CARDINAL, 32, 1,
                        &pid);
    std::free(pidAtom);
  }
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, win, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8, 17,
                      "vistrel-floor-xi2");

  auto* formats = xcb_render_query_pict_formats_reply(c, xcb_render_query_pict_formats(c), nullptr);
  if (!formats) return std::fprintf(stderr, "no RENDER\n"), 1;
  const xcb_render_pictformat_t format = FormatOf(formats, screen->root_visual);
  const xcb_render_picture_t src = xcb_generate_id(c), dst = xcb_generate_id(c);
  const std::uint32_t inferiors = XCB_SUBWINDOW_MODE_INCLUDE_INFERIORS;
  xcb_render_create_picture(c, src, root, format, XCB_RENDER_CP_SUBWINDOW_MODE, &inferiors);
  xcb_render_create_picture(c, dst, win, format, 0, nullptr);
  const xcb_render_fixed_t one = 1 << 16, scale = one / zoom;
  xcb_render_set_picture_transform(c, src, {scale, 0, 0, 0, scale, 0, 0, 0, one});
  xcb_render_set_picture_filter(c, src, 7, "nearest", 0, nullptr);
  xcb_map_window(c, win);
  SelectRawMotion(c, root, true);
  xcb_flush(c);

  bool selected = true, moved = true;
  int lastX = -99999, lastY = -99999;
  using Clock = std::chrono::steady_clock;
  const auto tick = std::chrono::milliseconds(50);
  auto due = Clock::now(), lastQuery = due;
  for (;;) {
    bool draw = false;
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
      const auto type = e->response_type & 0x7f;
      draw |= type == XCB_EXPOSE;
      if (type == XCB_GE_GENERIC) {
        auto* ge = reinterpret_cast<xcb_ge_generic_event_t*>(e);
        if (ge->extension == xi->major_opcode && ge->event_type == XCB_INPUT_RAW_MOTION) {
          moved = true;
          if (selected) SelectRawMotion(c, root, false), selected = false, xcb_flush(c);
        }
      }
      std::free(e);
    }
    if (xcb_connection_has_error(c)) return 1;
    const auto now = Clock::now();
    // Ticks slept through had nothing to do: no motion came. The next one that counts is the
    // first after a motion, or the once-a-second check.
    while (due + tick <= now) due += tick;
    const auto wake = moved ? due : std::max(due, lastQuery + std::chrono::seconds(1));
    if (!draw && now < wake) {
      pollfd pfd{xcb_get_file_descriptor(c), POLLIN, 0};
      poll(&pfd, 1,
           static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(wake - now).count()));
      continue;
    }
    if (now >= wake) {
      due += tick;
      if (!selected) SelectRawMotion(c, root, true), selected = true;
      moved = false;
      lastQuery = now;
      auto* p = xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
      if (p) {
        draw |= p->root_x != lastX || p->root_y != lastY;
        lastX = p->root_x, lastY = p->root_y;
        std::free(p);
      }
    }
    if (!draw) continue;
    const int sx =
        std::clamp(lastX - w / (2 * zoom), 0, std::max(0, screen->width_in_pixels - w / zoom));
    const int sy =
        std::clamp(lastY - h / (2 * zoom), 0, std::max(0, screen->height_in_pixels - h / zoom));
    xcb_render_composite(c, XCB_RENDER_PICT_OP_SRC, src, XCB_NONE, dst, sx * zoom, sy * zoom, 0, 0,
                         0, 0, w, h);
    xcb_flush(c);
  }
}
