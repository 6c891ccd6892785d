#include "wayland/screen_compositor.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client.h>

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"
#include "magnifier/nearest_copy.h"
#include "xdg-output-unstable-v1-client-protocol.h"

namespace vistrel::linux_shell::wayland {
namespace {

// One picture per tick of the 50 ms timer that draws the view, at most.
constexpr std::chrono::milliseconds kFrameInterval{50};
// Still ticks before Timer1 may idle.
constexpr int kStillTicks = 4;

using Clock = std::chrono::steady_clock;

// A shared-memory buffer the compositor copies an output into, with what of it is out of date:
// what changed on the output since this buffer was last filled.
struct Buffer {
  wl_buffer* buffer = nullptr;
  void* data = MAP_FAILED;
  std::size_t size = 0;
  int stride = 0;
  QRect stale;

  void Release() {
    if (buffer) wl_buffer_destroy(buffer);
    if (data != MAP_FAILED) ::munmap(data, size);
    *this = Buffer{};
  }
  bool Make(wl_shm* shm, int width, int height, std::uint32_t format) {
    Release();
    stride = width * 4;
    size = std::size_t(stride) * height;
    const int fd = ::memfd_create("vistrel-capture", MFD_CLOEXEC);
    if (fd < 0) return false;
    if (::ftruncate(fd, off_t(size)) != 0) {
      ::close(fd);
      return false;
    }
    data = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (data == MAP_FAILED) {
      ::close(fd);
      return false;
    }
    wl_shm_pool* pool = wl_shm_create_pool(shm, fd, int(size));
    buffer = wl_shm_pool_create_buffer(pool, 0, width, height, stride, format);
    wl_shm_pool_destroy(pool);
    ::close(fd);
    stale = QRect(0, 0, width, height);
    return true;
  }
};

}  // namespace

struct CompositorScreen::Output {
  CompositorScreen* screen = nullptr;
  std::uint32_t name = 0;
  wl_output* output = nullptr;
  zxdg_output_v1* xdg = nullptr;
  OutputPlace place;
  int modeWidth = 0, modeHeight = 0, scale = 1;  // without xdg-output
  ext_image_copy_capture_session_v1* session = nullptr;
  ext_image_copy_capture_cursor_session_v1* cursor = nullptr;
  ext_image_copy_capture_frame_v1* frame = nullptr;
  // The buffer constraints as the session last told them, and whether they are complete.
  int width = 0, height = 0;
  std::uint32_t format = 0;
  bool formatKnown = false;
  bool constrained = false;
  bool renew = false;  // the buffers are to be made again to the constraints
  int madeWidth = 0, madeHeight = 0;
  std::uint32_t madeFormat = 0;
  Buffer buffers[2];
  int shown = -1;   // the buffer with the last whole picture
  int filling = 0;  // the buffer a frame is copied into
  QRect damage;     // what the frame in flight reports as changed
  Clock::time_point asked;
  bool due = false;  // a capture is scheduled

  ~Output() {
    if (frame) ext_image_copy_capture_frame_v1_destroy(frame);
    if (session) ext_image_copy_capture_session_v1_destroy(session);
    if (cursor) ext_image_copy_capture_cursor_session_v1_destroy(cursor);
    for (Buffer& b : buffers) b.Release();
    if (xdg) zxdg_output_v1_destroy(xdg);
    // release came with version 3; before it the object can only be forgotten.
    if (output && wl_output_get_version(output) >= WL_OUTPUT_RELEASE_SINCE_VERSION) {
      wl_output_release(output);
    } else if (output) {
      wl_output_destroy(output);
    }
  }
  bool Shown() const { return shown >= 0 && buffers[shown].data != MAP_FAILED; }
};

namespace {

using Output = CompositorScreen::Output;

// The listeners: each hands the event to the output or the screen.
void OnGeometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t,
                std::int32_t, const char*, const char*, std::int32_t) {
  auto& o = *static_cast<Output*>(data);
  if (o.xdg) return;
  o.place.x = x;
  o.place.y = y;
}
void OnMode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height,
            std::int32_t) {
  auto& o = *static_cast<Output*>(data);
  if (!(flags & WL_OUTPUT_MODE_CURRENT)) return;
  o.modeWidth = width;
  o.modeHeight = height;
}
void OnOutputDone(void* data, wl_output*) {
  auto& o = *static_cast<Output*>(data);
  if (!o.xdg && o.scale > 0) {
    o.place.width = o.modeWidth / o.scale;
    o.place.height = o.modeHeight / o.scale;
  }
  o.screen->Changed();
}
void OnScale(void* data, wl_output*, std::int32_t factor) {
  static_cast<Output*>(data)->scale = factor;
}
void OnOutputName(void*, wl_output*, const char*) {}
void OnOutputDescription(void*, wl_output*, const char*) {}
constexpr wl_output_listener kOutput{OnGeometry, OnMode,       OnOutputDone,
                                     OnScale,    OnOutputName, OnOutputDescription};

void OnLogicalPosition(void* data, zxdg_output_v1*, std::int32_t x, std::int32_t y) {
  auto& o = *static_cast<Output*>(data);
  o.place.x = x;
  o.place.y = y;
}
void OnLogicalSize(void* data, zxdg_output_v1*, std::int32_t width, std::int32_t height) {
  auto& o = *static_cast<Output*>(data);
  o.place.width = width;
  o.place.height = height;
}
void OnXdgDone(void* data, zxdg_output_v1*) {
  static_cast<Output*>(data)->screen->Changed();
}
void OnXdgName(void*, zxdg_output_v1*, const char*) {}
void OnXdgDescription(void*, zxdg_output_v1*, const char*) {}
constexpr zxdg_output_v1_listener kXdgOutput{OnLogicalPosition, OnLogicalSize, OnXdgDone, OnXdgName,
                                             OnXdgDescription};

void OnBufferSize(void* data, ext_image_copy_capture_session_v1*, std::uint32_t width,
                  std::uint32_t height) {
  auto& o = *static_cast<Output*>(data);
  o.width = int(width);
  o.height = int(height);
  o.formatKnown = false;
  o.constrained = false;
}
void OnShmFormat(void* data, ext_image_copy_capture_session_v1*, std::uint32_t format) {
  auto& o = *static_cast<Output*>(data);
  // The copy reads 32-bit pixels with the colour in the low three bytes; alpha is ignored.
  if (format != WL_SHM_FORMAT_XRGB8888 && format != WL_SHM_FORMAT_ARGB8888) return;
  if (!o.formatKnown || format == WL_SHM_FORMAT_XRGB8888) o.format = format;
  o.formatKnown = true;
}
void OnDmabufDevice(void*, ext_image_copy_capture_session_v1*, wl_array*) {}
void OnDmabufFormat(void*, ext_image_copy_capture_session_v1*, std::uint32_t, wl_array*) {}
void OnSessionDone(void* data, ext_image_copy_capture_session_v1*) {
  auto& o = *static_cast<Output*>(data);
  if (!o.formatKnown || o.width <= 0 || o.height <= 0) {
    std::fprintf(stderr, "Vistrel: the compositor offers no 32-bit picture of an output.\n");
    return;
  }
  o.constrained = true;
  // wlroots repeats the constraints whenever outputs change: the same ones keep the buffers.
  const Buffer& made = o.buffers[0];
  if (made.buffer && o.width == o.madeWidth && o.height == o.madeHeight &&
      o.format == o.madeFormat) {
    o.screen->Capture(o);
    return;
  }
  o.renew = true;
  // A frame in flight finishes (or fails) against the old buffers; new ones come after it.
  if (!o.frame) o.screen->Renew(o);
}
void OnStopped(void* data, ext_image_copy_capture_session_v1*) {
  auto& o = *static_cast<Output*>(data);
  std::fprintf(stderr, "Vistrel: the compositor stopped the capture of an output.\n");
  ext_image_copy_capture_session_v1_destroy(o.session);
  o.session = nullptr;
  o.constrained = false;
}
constexpr ext_image_copy_capture_session_v1_listener kSession{
    OnBufferSize, OnShmFormat, OnDmabufDevice, OnDmabufFormat, OnSessionDone, OnStopped};

void OnTransform(void*, ext_image_copy_capture_frame_v1*, std::uint32_t) {}
void OnDamage(void* data, ext_image_copy_capture_frame_v1*, std::int32_t x, std::int32_t y,
              std::int32_t width, std::int32_t height) {
  auto& o = *static_cast<Output*>(data);
  o.damage |= QRect(x, y, width, height);
}
void OnPresentationTime(void*, ext_image_copy_capture_frame_v1*, std::uint32_t, std::uint32_t,
                        std::uint32_t) {}
void OnReady(void* data, ext_image_copy_capture_frame_v1*) {
  auto& o = *static_cast<Output*>(data);
  o.screen->PictureReady(o);
}
void OnFailed(void* data, ext_image_copy_capture_frame_v1*, std::uint32_t reason) {
  auto& o = *static_cast<Output*>(data);
  ext_image_copy_capture_frame_v1_destroy(o.frame);
  o.frame = nullptr;
  // New constraints (the output's size changed) come with the session's done, before or after
  // this; a stopped session says so itself; anything else is tried again at the next interval.
  if (o.renew) {
    o.screen->Renew(o);
    return;
  }
  if (reason == EXT_IMAGE_COPY_CAPTURE_FRAME_V1_FAILURE_REASON_STOPPED) return;
  // Also after new constraints that turned out the same (the next done captures otherwise).
  o.screen->Capture(o);
}
constexpr ext_image_copy_capture_frame_v1_listener kFrame{OnTransform, OnDamage, OnPresentationTime,
                                                          OnReady, OnFailed};

void OnEnter(void* data, ext_image_copy_capture_cursor_session_v1*) {
  auto& o = *static_cast<Output*>(data);
  o.screen->Pointer().Enter(o.name);
  o.screen->Changed();
}
void OnLeave(void* data, ext_image_copy_capture_cursor_session_v1*) {
  auto& o = *static_cast<Output*>(data);
  o.screen->Pointer().Leave(o.name);
  o.screen->Changed();
}
void OnPosition(void* data, ext_image_copy_capture_cursor_session_v1*, std::int32_t x,
                std::int32_t y) {
  auto& o = *static_cast<Output*>(data);
  o.screen->Moved(o.screen->Pointer().Position(o.name, o.place, x, y));
}
// wlroots sends the hot spot again on every output commit; the position already is the hot spot.
void OnHotspot(void*, ext_image_copy_capture_cursor_session_v1*, std::int32_t, std::int32_t) {}
constexpr ext_image_copy_capture_cursor_session_v1_listener kCursor{OnEnter, OnLeave, OnPosition,
                                                                    OnHotspot};

void OnCapabilities(void*, wl_seat*, std::uint32_t) {}
void OnSeatName(void*, wl_seat*, const char*) {}
constexpr wl_seat_listener kSeat{OnCapabilities, OnSeatName};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version) {
  static_cast<CompositorScreen*>(data)->Global(registry, name, interface, version);
}
void OnGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
  static_cast<CompositorScreen*>(data)->GlobalRemoved(name);
}
constexpr wl_registry_listener kRegistry{OnGlobal, OnGlobalRemove};

bool Is(const char* interface, const wl_interface& i) {
  return std::strcmp(interface, i.name) == 0;
}

template <typename T>
T* Bind(wl_registry* registry, std::uint32_t name, const wl_interface& i, std::uint32_t version) {
  return static_cast<T*>(wl_registry_bind(registry, name, &i, version));
}

}  // namespace

CompositorScreen::CompositorScreen(double twipsPerPixel) : MonitorDesktop(twipsPerPixel) {}

CompositorScreen::~CompositorScreen() {
  if (aboutToBlock_) QObject::disconnect(aboutToBlock_);
  notifier_.reset();
  outputs_.clear();
  if (!display_) return;
  if (wlPointer_ && wl_pointer_get_version(wlPointer_) >= WL_POINTER_RELEASE_SINCE_VERSION) {
    wl_pointer_release(wlPointer_);
  } else if (wlPointer_) {
    wl_pointer_destroy(wlPointer_);
  }
  if (seat_ && wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION) {
    wl_seat_release(seat_);
  } else if (seat_) {
    wl_seat_destroy(seat_);
  }
  if (capture_) ext_image_copy_capture_manager_v1_destroy(capture_);
  if (sources_) ext_output_image_capture_source_manager_v1_destroy(sources_);
  if (xdgOutputs_) zxdg_output_manager_v1_destroy(xdgOutputs_);
  if (shm_) wl_shm_destroy(shm_);
  if (registry_) wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

bool CompositorScreen::Open(std::string& why) {
  display_ = wl_display_connect(nullptr);
  if (!display_) {
    why = "no connection to the compositor";
    return false;
  }
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &kRegistry, this);
  if (wl_display_roundtrip(display_) < 0 || !seat_ || !shm_ || !sources_ || !capture_) {
    why = "the compositor offers no capture with the pointer's place";
    return false;
  }
  wlPointer_ = wl_seat_get_pointer(seat_);
  for (auto& output : outputs_) Start(*output);
  // The outputs' places and the first enter, before the view first asks.
  if (wl_display_roundtrip(display_) < 0) {
    why = "the compositor closed the connection";
    return false;
  }
  notifier_ = std::make_unique<QSocketNotifier>(wl_display_get_fd(display_), QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { Read(); });
  aboutToBlock_ = QObject::connect(QAbstractEventDispatcher::instance(),
                                   &QAbstractEventDispatcher::aboutToBlock, [this] { Flush(); });
  return true;
}

void CompositorScreen::Global(wl_registry* registry, std::uint32_t name, const char* interface,
                              std::uint32_t version) {
  if (Is(interface, wl_output_interface)) {
    auto output = std::make_unique<Output>();
    output->screen = this;
    output->name = name;
    output->output = Bind<wl_output>(registry, name, wl_output_interface, std::min(version, 3u));
    wl_output_add_listener(output->output, &kOutput, output.get());
    outputs_.push_back(std::move(output));
    // An output that comes while running starts at once; the first ones once all is bound.
    if (wlPointer_) Start(*outputs_.back());
  } else if (Is(interface, wl_seat_interface) && !seat_) {
    seat_ = Bind<wl_seat>(registry, name, wl_seat_interface, std::min(version, 5u));
    wl_seat_add_listener(seat_, &kSeat, this);
  } else if (Is(interface, wl_shm_interface)) {
    shm_ = Bind<wl_shm>(registry, name, wl_shm_interface, 1);
  } else if (Is(interface, zxdg_output_manager_v1_interface)) {
    xdgOutputs_ = Bind<zxdg_output_manager_v1>(registry, name, zxdg_output_manager_v1_interface,
                                               std::min(version, 3u));
  } else if (Is(interface, ext_output_image_capture_source_manager_v1_interface)) {
    sources_ = Bind<ext_output_image_capture_source_manager_v1>(
        registry, name, ext_output_image_capture_source_manager_v1_interface, 1);
  } else if (Is(interface, ext_image_copy_capture_manager_v1_interface)) {
    capture_ = Bind<ext_image_copy_capture_manager_v1>(
        registry, name, ext_image_copy_capture_manager_v1_interface, 1);
  }
}

void CompositorScreen::GlobalRemoved(std::uint32_t name) {
  const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                 [name](const auto& o) { return o->name == name; });
  if (gone == outputs_.end()) return;
  pointer_.Remove(name);
  outputs_.erase(gone);
  Changed();
}

void CompositorScreen::Start(Output& o) {
  if (xdgOutputs_ && !o.xdg) {
    o.xdg = zxdg_output_manager_v1_get_xdg_output(xdgOutputs_, o.output);
    zxdg_output_v1_add_listener(o.xdg, &kXdgOutput, &o);
  }
  ext_image_capture_source_v1* source =
      ext_output_image_capture_source_manager_v1_create_source(sources_, o.output);
  o.cursor =
      ext_image_copy_capture_manager_v1_create_pointer_cursor_session(capture_, source, wlPointer_);
  ext_image_copy_capture_cursor_session_v1_add_listener(o.cursor, &kCursor, &o);
  // The pointer is not painted: a capture that paints it would blind the cursor sessions.
  o.session = ext_image_copy_capture_manager_v1_create_session(capture_, source, 0);
  ext_image_copy_capture_session_v1_add_listener(o.session, &kSession, &o);
  ext_image_capture_source_v1_destroy(source);
}

void CompositorScreen::Capture(Output& o) {
  if (o.frame || !o.session || !o.constrained || o.due || !o.buffers[o.filling].buffer) return;
  const Clock::time_point now = Clock::now();
  if (now < o.asked + kFrameInterval) {
    // Not more often than the view is drawn; the output is found again by its name, as it may
    // go meanwhile.
    o.due = true;
    const std::uint32_t name = o.name;
    QTimer::singleShot(std::chrono::duration_cast<std::chrono::milliseconds>(
                           o.asked + kFrameInterval - now + std::chrono::milliseconds(1)),
                       [this, name] {
                         for (auto& output : outputs_) {
                           if (output->name != name) continue;
                           output->due = false;
                           Capture(*output);
                         }
                       });
    return;
  }
  o.asked = now;
  Buffer& b = o.buffers[o.filling];
  o.damage = QRect();
  o.frame = ext_image_copy_capture_session_v1_create_frame(o.session);
  ext_image_copy_capture_frame_v1_add_listener(o.frame, &kFrame, &o);
  ext_image_copy_capture_frame_v1_attach_buffer(o.frame, b.buffer);
  if (!b.stale.isEmpty()) {
    ext_image_copy_capture_frame_v1_damage_buffer(o.frame, b.stale.x(), b.stale.y(),
                                                  b.stale.width(), b.stale.height());
  }
  ext_image_copy_capture_frame_v1_capture(o.frame);
}

void CompositorScreen::Renew(Output& o) {
  o.renew = false;
  o.shown = -1;
  o.filling = 0;
  o.place.bufferWidth = o.width;
  o.place.bufferHeight = o.height;
  for (Buffer& b : o.buffers) {
    if (!b.Make(shm_, o.width, o.height, o.format)) {
      std::fprintf(stderr, "Vistrel: no memory to share with the compositor.\n");
      for (Buffer& made : o.buffers) made.Release();
      return;
    }
  }
  o.madeWidth = o.width;
  o.madeHeight = o.height;
  o.madeFormat = o.format;
  Capture(o);
  Changed();
}

void CompositorScreen::PictureReady(Output& o) {
  ext_image_copy_capture_frame_v1_destroy(o.frame);
  o.frame = nullptr;
  // The other buffer lacks what this frame changed, besides what it lacked already.
  o.buffers[o.filling].stale = QRect();
  const bool first = o.shown < 0;
  o.shown = o.filling;
  o.filling = 1 - o.filling;
  o.buffers[o.filling].stale |= o.damage.isNull() ? QRect(0, 0, o.width, o.height) : o.damage;
  if (o.renew) {
    Renew(o);
  } else {
    Capture(o);
  }
  // As on the other paths, a still pointer leaves the view as it is: only an output's first
  // picture draws (and a redraw per picture would capture the view's own repaint, and so on).
  if (first) Changed();
}

void CompositorScreen::Moved(bool moved) {
  if (!moved || !armed_) return;
  armed_ = false;
  if (events_.wake) events_.wake();
}

void CompositorScreen::Changed() {
  if (events_.redraw) events_.redraw();
}

void CompositorScreen::Read() {
  if (broken_) return;
  if (wl_display_prepare_read(display_) == 0 && wl_display_read_events(display_) < 0) {
    Broken();
    return;
  }
  if (wl_display_dispatch_pending(display_) < 0) Broken();
  Flush();
}

void CompositorScreen::Flush() {
  if (broken_ || !display_) return;
  if (wl_display_flush(display_) < 0 && errno != EAGAIN) Broken();
}

void CompositorScreen::Broken() {
  if (broken_) return;
  broken_ = true;
  notifier_->setEnabled(false);
  std::fprintf(stderr, "Vistrel: the connection to the compositor ended (%s).\n",
               std::strerror(wl_display_get_error(display_)));
  if (events_.ended) QTimer::singleShot(0, [this] { events_.ended(); });
}

platform::CursorPoint CompositorScreen::CursorPos() {
  stillTicks_ = pointer_.Moves() != seenMoves_ ? 0 : std::min(stillTicks_ + 1, kStillTicks);
  seenMoves_ = pointer_.Moves();
  return pointer_.Where();
}

bool CompositorScreen::WakesTimer1OnCursorMotion() {
  if (!events_.wake || stillTicks_ < kStillTicks) return false;
  // A move since the CursorPos just made keeps the timer ticking.
  if (pointer_.Moves() != seenMoves_) return false;
  armed_ = true;
  return true;
}

void CompositorScreen::StretchToView(std::int32_t destWidth, std::int32_t destHeight,
                                     std::int32_t srcX, std::int32_t srcY, std::int32_t srcWidth,
                                     std::int32_t srcHeight) {
  if (!canvas_.canvas || destWidth <= 0 || destHeight <= 0 || srcWidth <= 0 || srcHeight <= 0) {
    return;
  }
  QImage& image = canvas_.canvas(destWidth, destHeight);
  // What lies on no output is black, as the X server's root window shows it.
  image.fill(Qt::black);
  for (const auto& o : outputs_) {
    if (!o->Shown()) continue;
    const Buffer& b = o->buffers[o->shown];
    const platform::PixelRect at = PixelPlace(o->place);
    magnifier::CopyNearest(
        {static_cast<const std::uint8_t*>(b.data), b.stride, o->width, o->height},
        {srcX - at.left, srcY - at.top, double(srcWidth), double(srcHeight)},
        {image.bits(), image.bytesPerLine(), destWidth, destHeight});
  }
  WriteNote(image, srcX, srcY, srcWidth, srcHeight);
  canvas_.show();
}

void CompositorScreen::WriteNote(QImage& image, int, int, int, int) {
  if (!pointer_.Lost() && !broken_) return;
  // The canvas counts in logical pixels for a painter, which keeps the note's font at its size.
  QPainter painter(&image);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(QPointF(0, 0), image.deviceIndependentSize()),
                   Qt::AlignCenter | Qt::TextWordWrap,
                   QStringLiteral("The desktop does not tell where the pointer is now"));
}

std::vector<platform::PixelRect> CompositorScreen::Places() const {
  std::vector<platform::PixelRect> places;
  for (const auto& o : outputs_) {
    const platform::PixelRect whole = PixelPlace(o->place);
    if (whole.width > 0 && whole.height > 0) places.push_back(whole);
  }
  return places;
}

}  // namespace vistrel::linux_shell::wayland
