// A small X client the end-to-end tests use for what the stock tools do not offer:
//   pattern              paints a test pattern on the root window's background and exits
//   window X Y W H RGB   shows a plain coloured window (no window manager frame) until killed
//   clipboard [SECONDS]  prints the CLIPBOARD text (as UTF8_STRING), fails when there is none
//   grab-alt-space       holds the passive grab of Alt+Space on the root until killed
//   owner SELECTION      prints the window that owns the selection (0 for none)
//   wiggle SECONDS [MS]  moves the pointer a little every MS milliseconds (default 50)
// The pattern gives every pixel of a 4096 x 4096 screen its own colour, so that a picture shifted
// or scaled by one pixel can not match by accident.
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

std::uint32_t PatternPixel(int x, int y) {
  const std::uint32_t r = x & 0xff, g = y & 0xff;
  const std::uint32_t b = ((((x >> 8) & 0xf) << 4) | ((y >> 8) & 0xf)) ^ 0x5a;
  return r << 16 | g << 8 | b;
}

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  auto* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, std::strlen(name), name), nullptr);
  const xcb_atom_t atom = reply ? reply->atom : 0;
  std::free(reply);
  return atom;
}

int Pattern(xcb_connection_t* c, xcb_screen_t* s) {
  const int w = s->width_in_pixels, h = s->height_in_pixels;
  const xcb_pixmap_t pixmap = xcb_generate_id(c);
  xcb_create_pixmap(c, s->root_depth, pixmap, s->root, w, h);
  const xcb_gcontext_t gc = xcb_generate_id(c);
  xcb_create_gc(c, gc, pixmap, 0, nullptr);
  std::vector<std::uint32_t> row(w);
  const int rows = std::max(1, 60000 / w);
  std::vector<std::uint32_t> band(static_cast<std::size_t>(w) * rows);
  for (int y0 = 0; y0 < h; y0 += rows) {
    const int n = std::min(rows, h - y0);
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < w; ++x)
        band[static_cast<std::size_t>(y) * w + x] = PatternPixel(x, y0 + y);
    }
    xcb_put_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, gc, w, n, 0, y0, 0, s->root_depth,
                  w * n * 4, reinterpret_cast<const std::uint8_t*>(band.data()));
  }
  xcb_change_window_attributes(c, s->root, XCB_CW_BACK_PIXMAP, &pixmap);
  xcb_clear_area(c, 0, s->root, 0, 0, 0, 0);
  xcb_free_pixmap(c, pixmap);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  return 0;
}

int Window(xcb_connection_t* c, xcb_screen_t* s, char** argv) {
  const int x = std::atoi(argv[0]), y = std::atoi(argv[1]);
  const int w = std::atoi(argv[2]), h = std::atoi(argv[3]);
  const std::uint32_t colour = std::strtoul(argv[4], nullptr, 16);
  const xcb_window_t win = xcb_generate_id(c);
  const std::uint32_t values[] = {colour, 1};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, win, s->root, x, y, w, h, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, s->root_visual,
                    XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
  xcb_map_window(c, win);
  std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

int Clipboard(xcb_connection_t* c, xcb_screen_t* s, double seconds) {
  const xcb_window_t win = xcb_generate_id(c);
  const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(c, XCB_COPY_FROM_PARENT, win, s->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
  const xcb_atom_t clipboard = Atom(c, "CLIPBOARD"), utf8 = Atom(c, "UTF8_STRING");
  const xcb_atom_t property = Atom(c, "VISTREL_PROBE");
  xcb_convert_selection(c, win, clipboard, utf8, property, XCB_CURRENT_TIME);
  xcb_flush(c);
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  while (std::chrono::steady_clock::now() < deadline) {
    xcb_generic_event_t* event = xcb_poll_for_event(c);
    if (!event) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      continue;
    }
    if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
      const auto* notify = reinterpret_cast<xcb_selection_notify_event_t*>(event);
      const bool ok = notify->property != XCB_NONE;
      std::free(event);
      if (!ok) return 1;
      auto* reply = xcb_get_property_reply(
          c, xcb_get_property(c, 1, win, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 20), nullptr);
      if (!reply) return 1;
      std::fwrite(xcb_get_property_value(reply), 1, xcb_get_property_value_length(reply), stdout);
      std::free(reply);
      return 0;
    }
    std::free(event);
  }
  return 1;
}

int Owner(xcb_connection_t* c, const char* selection) {
  auto* reply =
      xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, Atom(c, selection)), nullptr);
  std::printf("%u\n", reply ? reply->owner : 0u);
  std::free(reply);
  return 0;
}

// Moves the pointer a few pixels every interval for the given time, as a hand does: the cost
// measurements use it instead of one xdotool process per step.
int Wiggle(xcb_connection_t* c, xcb_screen_t* s, double seconds, int intervalMs) {
  const auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(static_cast<int>(seconds * 1000));
  for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
    const int x = s->width_in_pixels / 2 + (i % 20) * 3, y = s->height_in_pixels / 2 + (i % 7) * 2;
    xcb_warp_pointer(c, XCB_NONE, s->root, 0, 0, 0, 0, static_cast<std::int16_t>(x),
                     static_cast<std::int16_t>(y));
    xcb_flush(c);
    std::this_thread::sleep_for(std::chrono::milliseconds(intervalMs));
  }
  return 0;
}

int GrabAltSpace(xcb_connection_t* c, xcb_screen_t* s) {
  // Space is keycode 65 in the server's default keymap (evdev and Xvfb's both).
  auto* error =
      xcb_request_check(c, xcb_grab_key_checked(c, 0, s->root, XCB_MOD_MASK_1, 65,
                                                XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
  if (error) {
    std::free(error);
    return 1;
  }
  std::printf("ready\n");
  std::fflush(stdout);
  for (;;) {
    xcb_generic_event_t* event = xcb_wait_for_event(c);
    if (!event) return 0;
    std::free(event);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr,
                 "usage: x11_probe pattern|window X Y W H RGB|clipboard [S]|grab-alt-space\n");
    return 2;
  }
  int screenNumber = 0;
  xcb_connection_t* c = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(c)) return 2;
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&it);
  xcb_screen_t* s = it.data;
  const std::string command = argv[1];
  int rc = 2;
  if (command == "pattern") rc = Pattern(c, s);
  if (command == "window" && argc == 7) rc = Window(c, s, argv + 2);
  if (command == "clipboard") rc = Clipboard(c, s, argc > 2 ? std::atof(argv[2]) : 3.0);
  if (command == "grab-alt-space") rc = GrabAltSpace(c, s);
  if (command == "owner" && argc == 3) rc = Owner(c, argv[2]);
  if (command == "wiggle" && argc >= 3)
    rc = Wiggle(c, s, std::atof(argv[2]), argc > 3 ? std::atoi(argv[3]) : 50);
  xcb_disconnect(c);
  return rc;
}
