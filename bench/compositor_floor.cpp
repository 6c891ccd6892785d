// The cost floor of a following magnifier on a compositor that captures for its clients (wlroots
// 0.19 and later): the pointer from a cursor session on the first output, the pictures by one of
// the two captures the program could use, and every 50 ms, if the pointer moved, the 110 x 82
// pixels around it copied at zoom 2 into a 220 x 165 Qt window and the window repainted, as the
// program draws its view. Nothing else: whatever the program spends beyond this is its own.
//   whole   an ext-image-copy-capture session on the output, into shared memory, a frame asked
//           at most every 50 ms and held by the compositor until the output changed
//   region  wlr-screencopy's capture_output_region of the 110 x 83 logical pixels around the
//           pointer, asked on every 50 ms tick (each request renders, changed or not)
//   check   exit 0 when the compositor offers both, else say what is missing and exit 3
// One output at scale 1 (the bench's headless sway): logical and buffer pixels are the same.
//   vistrel_compositor_floor whole|region|check     (run with QT_QPA_PLATFORM=wayland)
#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"
#include "magnifier/nearest_copy.h"
#include "wlr-screencopy-unstable-v1-client-protocol.h"

namespace {

// A shared-memory buffer the compositor copies into.
struct Buffer {
  wl_buffer* buffer = nullptr;
  void* data = MAP_FAILED;
  int width = 0, height = 0, stride = 0;

  bool Make(wl_shm* shm, int w, int h, int s, std::uint32_t format) {
    if (buffer) wl_buffer_destroy(buffer);
    if (data != MAP_FAILED) ::munmap(data, std::size_t(stride) * height);
    width = w, height = h, stride = s;
    const int fd = ::memfd_create("floor", MFD_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, off_t(stride) * h) != 0) return false;
    data = ::mmap(nullptr, std::size_t(stride) * h, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, stride * h);
    buffer = wl_shm_pool_create_buffer(pool, 0, w, h, stride, format);
    wl_shm_pool_destroy(pool);
    ::close(fd);
    return data != MAP_FAILED;
  }
};

struct Floor {
  wl_display* display = nullptr;
  wl_output* output = nullptr;
  wl_seat* seat = nullptr;
  wl_shm* shm = nullptr;
  ext_output_image_capture_source_manager_v1* sources = nullptr;
  ext_image_copy_capture_manager_v1* capture = nullptr;
  zwlr_screencopy_manager_v1* screencopy = nullptr;
  ext_image_copy_capture_session_v1* session = nullptr;
  ext_image_copy_capture_frame_v1* frame = nullptr;
  zwlr_screencopy_frame_v1* regionFrame = nullptr;
  bool entered = false;
  int x = 0, y = 0;           // the pointer, in the output's pixels
  int width = 0, height = 0;  // the whole output's buffer, as the session tells it
  std::uint32_t format = 0;
  Buffer buffer;
  bool due = false;
  std::chrono::steady_clock::time_point asked;
  void Flush() { wl_display_flush(display); }
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
  auto& f = *static_cast<Floor*>(data);
  const auto bind = [&](const wl_interface& i, std::uint32_t version) {
    return std::strcmp(interface, i.name) == 0 ? wl_registry_bind(registry, name, &i, version)
                                               : nullptr;
  };
  if (void* p = bind(wl_output_interface, 1); p && !f.output) f.output = static_cast<wl_output*>(p);
  if (void* p = bind(wl_seat_interface, 1); p && !f.seat) f.seat = static_cast<wl_seat*>(p);
  if (void* p = bind(wl_shm_interface, 1)) f.shm = static_cast<wl_shm*>(p);
  if (void* p = bind(ext_output_image_capture_source_manager_v1_interface, 1)) {
    f.sources = static_cast<ext_output_image_capture_source_manager_v1*>(p);
  }
  if (void* p = bind(ext_image_copy_capture_manager_v1_interface, 1)) {
    f.capture = static_cast<ext_image_copy_capture_manager_v1*>(p);
  }
  if (void* p = bind(zwlr_screencopy_manager_v1_interface, 3)) {
    f.screencopy = static_cast<zwlr_screencopy_manager_v1*>(p);
  }
}
void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}
constexpr wl_registry_listener kRegistry{OnGlobal, OnGlobalRemove};

void OnEnter(void* data, ext_image_copy_capture_cursor_session_v1*) {
  static_cast<Floor*>(data)->entered = true;
}
void OnLeave(void* data, ext_image_copy_capture_cursor_session_v1*) {
  static_cast<Floor*>(data)->entered = false;
}
void OnPosition(void* data, ext_image_copy_capture_cursor_session_v1*, std::int32_t x,
                std::int32_t y) {
  auto& f = *static_cast<Floor*>(data);
  if (!f.entered) return;
  f.x = x;
  f.y = y;
}
void OnHotspot(void*, ext_image_copy_capture_cursor_session_v1*, std::int32_t, std::int32_t) {}
constexpr ext_image_copy_capture_cursor_session_v1_listener kCursor{OnEnter, OnLeave, OnPosition,
                                                                    OnHotspot};

// The whole output.
void CaptureWhole(Floor& f);
void OnBufferSize(void* data, ext_image_copy_capture_session_v1*, std::uint32_t w,
                  std::uint32_t h) {
  auto& f = *static_cast<Floor*>(data);
  f.width = int(w);
  f.height = int(h);
}
void OnShmFormat(void* data, ext_image_copy_capture_session_v1*, std::uint32_t format) {
  auto& f = *static_cast<Floor*>(data);
  if (format == WL_SHM_FORMAT_XRGB8888 || (!f.format && format == WL_SHM_FORMAT_ARGB8888)) {
    f.format = format;
  }
}
void OnDmabufDevice(void*, ext_image_copy_capture_session_v1*, wl_array*) {}
void OnDmabufFormat(void*, ext_image_copy_capture_session_v1*, std::uint32_t, wl_array*) {}
void OnSessionDone(void* data, ext_image_copy_capture_session_v1*) {
  auto& f = *static_cast<Floor*>(data);
  if (f.buffer.width == f.width && f.buffer.height == f.height) return;
  if (f.frame) return;  // new buffers after the frame in flight: not needed on a fixed output
  f.buffer.Make(f.shm, f.width, f.height, f.width * 4, f.format);
  CaptureWhole(f);
}
void OnStopped(void*, ext_image_copy_capture_session_v1*) {}
constexpr ext_image_copy_capture_session_v1_listener kSession{
    OnBufferSize, OnShmFormat, OnDmabufDevice, OnDmabufFormat, OnSessionDone, OnStopped};

void OnTransform(void*, ext_image_copy_capture_frame_v1*, std::uint32_t) {}
void OnDamage(void*, ext_image_copy_capture_frame_v1*, std::int32_t, std::int32_t, std::int32_t,
              std::int32_t) {}
void OnPresentationTime(void*, ext_image_copy_capture_frame_v1*, std::uint32_t, std::uint32_t,
                        std::uint32_t) {}
void OnFrameEnd(void* data, ext_image_copy_capture_frame_v1*) {
  auto& f = *static_cast<Floor*>(data);
  ext_image_copy_capture_frame_v1_destroy(f.frame);
  f.frame = nullptr;
  // The next frame 50 ms after this one was asked for, at the earliest, as the program asks.
  if (!f.due) {
    f.due = true;
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
        f.asked + std::chrono::milliseconds(50) - std::chrono::steady_clock::now());
    QTimer::singleShot(std::max(wait, std::chrono::milliseconds(0)), [&f] {
      f.due = false;
      CaptureWhole(f);
    });
  }
}
void OnFailed(void* data, ext_image_copy_capture_frame_v1* frame, std::uint32_t) {
  OnFrameEnd(data, frame);
}
constexpr ext_image_copy_capture_frame_v1_listener kFrame{OnTransform, OnDamage, OnPresentationTime,
                                                          OnFrameEnd, OnFailed};

void CaptureWhole(Floor& f) {
  if (f.frame || !f.buffer.buffer) return;
  f.asked = std::chrono::steady_clock::now();
  f.frame = ext_image_copy_capture_session_v1_create_frame(f.session);
  ext_image_copy_capture_frame_v1_add_listener(f.frame, &kFrame, &f);
  ext_image_copy_capture_frame_v1_attach_buffer(f.frame, f.buffer.buffer);
  ext_image_copy_capture_frame_v1_capture(f.frame);
  f.Flush();
}

// The region around the pointer.
void OnRegionBuffer(void* data, zwlr_screencopy_frame_v1* frame, std::uint32_t format,
                    std::uint32_t w, std::uint32_t h, std::uint32_t stride) {
  auto& f = *static_cast<Floor*>(data);
  if (format != WL_SHM_FORMAT_XRGB8888 && format != WL_SHM_FORMAT_ARGB8888) return;
  if (f.buffer.width != int(w) || f.buffer.height != int(h) || f.format != format) {
    f.format = format;
    f.buffer.Make(f.shm, int(w), int(h), int(stride), format);
  }
  zwlr_screencopy_frame_v1_copy(frame, f.buffer.buffer);
}
void OnRegionFlags(void*, zwlr_screencopy_frame_v1*, std::uint32_t) {}
void OnRegionReady(void* data, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t,
                   std::uint32_t) {
  auto& f = *static_cast<Floor*>(data);
  zwlr_screencopy_frame_v1_destroy(f.regionFrame);
  f.regionFrame = nullptr;
}
void OnRegionFailed(void* data, zwlr_screencopy_frame_v1*) {
  OnRegionReady(data, nullptr, 0, 0, 0);
}
void OnRegionDamage(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t,
                    std::uint32_t) {}
void OnRegionDmabuf(void*, zwlr_screencopy_frame_v1*, std::uint32_t, std::uint32_t, std::uint32_t) {
}
void OnRegionBufferDone(void*, zwlr_screencopy_frame_v1*) {}
constexpr zwlr_screencopy_frame_v1_listener kRegion{
    OnRegionBuffer, OnRegionFlags,  OnRegionReady,     OnRegionFailed,
    OnRegionDamage, OnRegionDmabuf, OnRegionBufferDone};

class View : public QWidget {
 public:
  QImage picture{220, 165, QImage::Format_RGB32};

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, picture); }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const std::string mode = argc == 2 ? argv[1] : "";
  if (mode != "whole" && mode != "region" && mode != "check") {
    std::fprintf(stderr, "usage: vistrel_compositor_floor whole|region|check\n");
    return 2;
  }
  Floor f;
  f.display = wl_display_connect(nullptr);
  if (!f.display) {
    std::fprintf(stderr, "no Wayland compositor\n");
    return 3;
  }
  wl_registry_add_listener(wl_display_get_registry(f.display), &kRegistry, &f);
  wl_display_roundtrip(f.display);
  if (!f.output || !f.seat || !f.shm || !f.sources || !f.capture || !f.screencopy) {
    std::printf("the compositor lacks ext-image-copy-capture-v1 or wlr-screencopy-unstable-v1\n");
    return 3;
  }
  if (mode == "check") return 0;
  ext_image_capture_source_v1* source =
      ext_output_image_capture_source_manager_v1_create_source(f.sources, f.output);
  ext_image_copy_capture_cursor_session_v1* cursor =
      ext_image_copy_capture_manager_v1_create_pointer_cursor_session(f.capture, source,
                                                                      wl_seat_get_pointer(f.seat));
  ext_image_copy_capture_cursor_session_v1_add_listener(cursor, &kCursor, &f);
  if (mode == "whole") {
    f.session = ext_image_copy_capture_manager_v1_create_session(f.capture, source, 0);
    ext_image_copy_capture_session_v1_add_listener(f.session, &kSession, &f);
  }
  ext_image_capture_source_v1_destroy(source);
  wl_display_roundtrip(f.display);

  QSocketNotifier notifier(wl_display_get_fd(f.display), QSocketNotifier::Read);
  QObject::connect(&notifier, &QSocketNotifier::activated, [&f] {
    if (wl_display_dispatch(f.display) < 0) QCoreApplication::exit(1);
    f.Flush();
  });
  View view;
  view.picture.fill(Qt::black);
  view.setFixedSize(220, 165);
  view.show();
  int lastX = -1, lastY = -1;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    // The region shown now was asked at the last tick's place.
    if (mode == "region" && !f.regionFrame) {
      const int left = std::max(0, f.x - 55), top = std::max(0, f.y - 41);
      f.regionFrame = zwlr_screencopy_manager_v1_capture_output_region(f.screencopy, 0, f.output,
                                                                       left, top, 110, 83);
      zwlr_screencopy_frame_v1_add_listener(f.regionFrame, &kRegion, &f);
      f.Flush();
    }
    if ((f.x == lastX && f.y == lastY) || f.buffer.data == MAP_FAILED) return;
    lastX = f.x, lastY = f.y;
    const int x = mode == "region" ? 0 : std::clamp(f.x - 55, 0, std::max(0, f.width - 110));
    const int y = mode == "region" ? 0 : std::clamp(f.y - 41, 0, std::max(0, f.height - 82));
    vistrel::magnifier::CopyNearest({static_cast<const std::uint8_t*>(f.buffer.data),
                                     f.buffer.stride, f.buffer.width, f.buffer.height},
                                    {double(x), double(y), 110, 82.5},
                                    {view.picture.bits(), view.picture.bytesPerLine(), 220, 165});
    view.update();
  });
  tick.start(50);
  return QApplication::exec();
}
