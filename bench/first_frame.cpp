// Start to first drawn picture of a magnifier, in milliseconds. Puts a magenta square in the
// middle of the screen and the pointer on it, starts the command, and polls every millisecond the
// centre pixel of each mapped top-level window of that process until one shows magenta: only a
// copy of the screen around the pointer can put it there (the window itself must lie elsewhere).
// Prints the time from just before the start to that moment, then ends the command (SIGTERM).
//   vistrel_first_frame COMMAND [ARGS...]
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {
constexpr unsigned long kMagenta = 0xff00ff;

long PidOf(Display* dpy, Window w, Atom pidAtom) {
  Atom type;
  int format;
  unsigned long count, rest;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(dpy, w, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &rest,
                         &data) == Success &&
      data && count == 1 && format == 32) {
    pid = *reinterpret_cast<long*>(data);
  }
  if (data) XFree(data);
  return pid;
}

// Whether a mapped top-level window of the process shows magenta at its centre.
bool Drawn(Display* dpy, Window root, Atom pidAtom, pid_t pid) {
  Window r, parent, *children = nullptr;
  unsigned n = 0;
  bool drawn = false;
  if (!XQueryTree(dpy, root, &r, &parent, &children, &n)) return false;
  for (unsigned i = 0; i < n && !drawn; ++i) {
    XWindowAttributes a;
    if (!XGetWindowAttributes(dpy, children[i], &a) || a.map_state != IsViewable) continue;
    if (a.width < 8 || a.height < 8 || PidOf(dpy, children[i], pidAtom) != pid) continue;
    XImage* image =
        XGetImage(dpy, children[i], a.width / 2, a.height / 2, 1, 1, AllPlanes, ZPixmap);
    if (image) {
      drawn = (XGetPixel(image, 0, 0) & 0xffffff) == kMagenta;
      XDestroyImage(image);
    }
  }
  if (children) XFree(children);
  return drawn;
}
}  // namespace

int main(int argc, char** argv) {
  Display* dpy = XOpenDisplay(nullptr);
  if (!dpy || argc < 2) return std::fprintf(stderr, "usage: vistrel_first_frame COMMAND...\n"), 2;
  XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });  // windows come and go
  const int scr = DefaultScreen(dpy);
  const Window root = RootWindow(dpy, scr);
  const int cx = DisplayWidth(dpy, scr) / 2, cy = DisplayHeight(dpy, scr) / 2;
  XSetWindowAttributes attrs{};
  attrs.override_redirect = True;
  attrs.background_pixel = kMagenta;
  const Window square =
      XCreateWindow(dpy, root, cx - 200, cy - 200, 400, 400, 0, CopyFromParent, InputOutput,
                    CopyFromParent, CWOverrideRedirect | CWBackPixel, &attrs);
  XMapRaised(dpy, square);
  XWarpPointer(dpy, None, root, 0, 0, 0, 0, cx, cy);
  XSync(dpy, False);
  const Atom pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);

  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  int status = 0;
  bool exited = false;
  for (;;) {
    const auto elapsed = std::chrono::steady_clock::now() - start;
    const double ms = std::chrono::duration<double, std::milli>(elapsed).count();
    if (Drawn(dpy, root, pidAtom, pid)) {
      std::printf("%.1f\n", ms);
      break;
    }
    exited = waitpid(pid, &status, WNOHANG) == pid;
    if (ms > 10000 || exited) {
      std::printf("none\n");
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  std::fflush(stdout);
  if (!exited) {
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
  }
  XDestroyWindow(dpy, square);
  XCloseDisplay(dpy);
  return 0;
}
