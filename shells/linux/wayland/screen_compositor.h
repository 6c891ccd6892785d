// The screen as the magnifier sees it on a compositor that offers capture itself (wlroots 0.19
// and later, and their kin): no portal and no consent dialog. The pointer comes from one cursor
// session per output, the pictures from one ext-image-copy-capture session per output, each
// output placed on the desktop by xdg-output. The connection is the screen's own, read from Qt's
// event loop. A picture arrives only when the output changed (the compositor holds a capture
// until then), at most one per tick; a still pointer lets Timer1 idle, and its next position
// wakes it.
#pragma once

#include <QImage>
#include <QSocketNotifier>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "platform/screen.h"
#include "wayland/compositor_pointer.h"
#include "wayland/monitor_desktop.h"
#include "wayland/screen_portal.h"

struct wl_display;
struct wl_registry;
struct wl_seat;
struct wl_pointer;
struct wl_shm;
struct zxdg_output_manager_v1;
struct ext_output_image_capture_source_manager_v1;
struct ext_image_copy_capture_manager_v1;

namespace vistrel::linux_shell::wayland {

// What the screen tells the program, each from the event loop.
struct CompositorEvents {
  std::function<void()> redraw;  // an output's first picture, or an output came or went
  std::function<void()> wake;    // the pointer moved while Timer1 was idle
  std::function<void()> ended;   // the compositor went away: save and end
};

class CompositorScreen : public MonitorDesktop {
 public:
  explicit CompositorScreen(double twipsPerPixel);
  ~CompositorScreen() override;

  // Connects, and starts following the pointer and capturing every output; false, with why,
  // when the compositor offers no capture with cursor sessions after all.
  bool Open(std::string& why);
  void SetCanvas(ViewCanvas canvas) { canvas_ = std::move(canvas); }
  void SetEvents(CompositorEvents events) { events_ = std::move(events); }

  platform::CursorPoint CursorPos() override;
  bool WakesTimer1OnCursorMotion() override;
  void StretchToView(std::int32_t destWidth, std::int32_t destHeight, std::int32_t srcX,
                     std::int32_t srcY, std::int32_t srcWidth, std::int32_t srcHeight) override;

  struct Output;  // one output with its sessions and buffers (screen_compositor.cpp)

  // For the protocol listeners.
  void Global(wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version);
  void GlobalRemoved(std::uint32_t name);
  void Capture(Output& output);
  void Renew(Output& output);
  void PictureReady(Output& output);
  void Moved(bool moved);
  void Changed();
  PointerTrack& Pointer() { return pointer_; }
  wl_shm* Shm() const { return shm_; }

 private:
  void Start(Output& output);
  void Read();
  void Flush();
  void Broken();
  std::vector<platform::PixelRect> Places() const override;
  void WriteNote(QImage& image, int srcX, int srcY, int srcWidth, int srcHeight);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_seat* seat_ = nullptr;
  wl_pointer* wlPointer_ = nullptr;
  wl_shm* shm_ = nullptr;
  zxdg_output_manager_v1* xdgOutputs_ = nullptr;
  ext_output_image_capture_source_manager_v1* sources_ = nullptr;
  ext_image_copy_capture_manager_v1* capture_ = nullptr;
  std::vector<std::unique_ptr<Output>> outputs_;
  std::unique_ptr<QSocketNotifier> notifier_;
  QMetaObject::Connection aboutToBlock_;
  PointerTrack pointer_;
  CompositorEvents events_;
  ViewCanvas canvas_;
  bool broken_ = false;
  bool armed_ = false;  // the next move wakes Timer1
  std::uint64_t seenMoves_ = 0;
  int stillTicks_ = 0;
};

}  // namespace vistrel::linux_shell::wayland
