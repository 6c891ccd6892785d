// The cost floor of a following magnifier on X11: every 50 ms one pointer query and, if the
// pointer moved (or on every tick with --every-tick), one server-side XRender composite of the
// root around it into the window, scaled by the zoom with the "nearest" filter. Nothing else:
// whatever a real magnifier costs beyond this is its own overhead.
// With --matrix the offset goes into the transform on every frame instead (two requests a
// frame, as Vistrel sends them), to weigh that choice.
//   vistrel_floor [--every-tick | --matrix] [WIDTH HEIGHT [ZOOM]]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrender.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  const bool everyTick = argc > 1 && std::strcmp(argv[1], "--every-tick") == 0;
  const bool matrix = argc > 1 && std::strcmp(argv[1], "--matrix") == 0;
  int a = everyTick || matrix ? 2 : 1;
  const int w = argc > a + 1 ? std::atoi(argv[a]) : 220,
            h = argc > a + 1 ? std::atoi(argv[a + 1]) : 165;
  const int zoom = argc > a + 2 ? std::atoi(argv[a + 2]) : 2;
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy || w < 1 || h < 1 || zoom < 1)
    return std::fprintf(stderr, "no display or bad size\n"), 1;
  const int scr = DefaultScreen(dpy);
  const Window root = RootWindow(dpy, scr);
  const Window win = XCreateSimpleWindow(dpy, root, 0, 0, w, h, 0, 0, 0);
  XSetWindowAttributes none{};
  none.background_pixmap = None;  // the composite covers the window: no server-side clearing
  XChangeWindowAttributes(dpy, win, CWBackPixmap, &none);
  XStoreName(dpy, win, "vistrel-floor");
  const long pid = getpid();
  XChangeProperty(dpy, win, XInternAtom(dpy, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<const unsigned char*>(&pid), 1);
  XSelectInput(dpy, win, ExposureMask);
  XRenderPictureAttributes inferiors{};
  inferiors.subwindow_mode = IncludeInferiors;
  XRenderPictFormat* format = XRenderFindVisualFormat(dpy, DefaultVisual(dpy, scr));
  const Picture src = XRenderCreatePicture(dpy, root, format, CPSubwindowMode, &inferiors);
  const Picture dst = XRenderCreatePicture(dpy, win, format, 0, nullptr);
  // Set once: the per-frame offset goes into the composite's source origin, which the server
  // adds before it applies the scale, so a frame is exactly one request.
  XTransform scale{{{XDoubleToFixed(1.0 / zoom), 0, 0},
                    {0, XDoubleToFixed(1.0 / zoom), 0},
                    {0, 0, XDoubleToFixed(1)}}};
  XRenderSetPictureTransform(dpy, src, &scale);
  XRenderSetPictureFilter(dpy, src, FilterNearest, nullptr, 0);
  XMapWindow(dpy, win);
  const int sw = DisplayWidth(dpy, scr), sh = DisplayHeight(dpy, scr);
  int lastX = -99999, lastY = -99999;
  using Clock = std::chrono::steady_clock;
  auto due = Clock::now();
  for (;;) {
    bool draw = false;
    while (XPending(dpy)) {
      XEvent e;
      XNextEvent(dpy, &e);
      draw |= e.type == Expose;
    }
    const auto now = Clock::now();
    if (!draw && now < due) {  // sleep until the tick or an event, rounding up: no spinning
      pollfd pfd{ConnectionNumber(dpy), POLLIN, 0};
      poll(&pfd, 1,
           static_cast<int>(std::chrono::ceil<std::chrono::milliseconds>(due - now).count()));
      continue;
    }
    if (now >= due) {
      due += std::chrono::milliseconds(50);
      Window r, c;
      int x, y, wx, wy;
      unsigned mask;
      XQueryPointer(dpy, root, &r, &c, &x, &y, &wx, &wy, &mask);
      draw |= everyTick || x != lastX || y != lastY;
      lastX = x, lastY = y;
    }
    if (!draw) continue;
    const int sx = std::clamp(lastX - w / (2 * zoom), 0, std::max(0, sw - w / zoom));
    const int sy = std::clamp(lastY - h / (2 * zoom), 0, std::max(0, sh - h / zoom));
    if (matrix) {
      XTransform moved = scale;
      moved.matrix[0][2] = XDoubleToFixed(sx);
      moved.matrix[1][2] = XDoubleToFixed(sy);
      XRenderSetPictureTransform(dpy, src, &moved);
      XRenderComposite(dpy, PictOpSrc, src, None, dst, 0, 0, 0, 0, 0, 0, w, h);
    } else {
      XRenderComposite(dpy, PictOpSrc, src, None, dst, sx * zoom, sy * zoom, 0, 0, 0, 0, w, h);
    }
    XFlush(dpy);
  }
}
