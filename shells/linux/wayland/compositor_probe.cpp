#include "wayland/compositor_probe.h"

#include <poll.h>
#include <wayland-client.h>

#include <cstring>
#include <vector>

#include "ext-image-capture-source-v1-client-protocol.h"
#include "ext-image-copy-capture-v1-client-protocol.h"

namespace vistrel::linux_shell::wayland {
namespace {

struct Probe {
  CaptureGlobals globals;
  wl_seat* seat = nullptr;
  std::vector<wl_output*> outputs;
  ext_output_image_capture_source_manager_v1* sources = nullptr;
  ext_image_copy_capture_manager_v1* capture = nullptr;
  bool pointer = false;
  bool entered = false;
  // Bound only on the second pass, once the names showed that everything is there.
  bool bind = false;
  // Every object made, destroyed before the connection closes.
  std::vector<wl_proxy*> made;
  template <typename T>
  T* Keep(T* object) {
    made.push_back(reinterpret_cast<wl_proxy*>(object));
    return object;
  }
  ~Probe() {
    for (wl_proxy* object : made) wl_proxy_destroy(object);
  }
};

void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t) {
  auto& p = *static_cast<Probe*>(data);
  const auto is = [interface](const wl_interface& i) {
    return std::strcmp(interface, i.name) == 0;
  };
  if (is(wl_seat_interface)) {
    p.globals.seat = true;
    if (p.bind && !p.seat) {
      p.seat =
          p.Keep(static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1)));
    }
  } else if (is(wl_output_interface)) {
    p.globals.output = true;
    if (p.bind) {
      p.outputs.push_back(p.Keep(
          static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 1))));
    }
  } else if (is(wl_shm_interface)) {
    p.globals.shm = true;
  } else if (is(ext_output_image_capture_source_manager_v1_interface)) {
    p.globals.sources = true;
    if (p.bind) {
      p.sources = p.Keep(static_cast<ext_output_image_capture_source_manager_v1*>(wl_registry_bind(
          registry, name, &ext_output_image_capture_source_manager_v1_interface, 1)));
    }
  } else if (is(ext_image_copy_capture_manager_v1_interface)) {
    p.globals.copyCapture = true;
    if (p.bind) {
      p.capture = p.Keep(static_cast<ext_image_copy_capture_manager_v1*>(
          wl_registry_bind(registry, name, &ext_image_copy_capture_manager_v1_interface, 1)));
    }
  }
}

void OnGlobalRemove(void*, wl_registry*, std::uint32_t) {}

constexpr wl_registry_listener kRegistry{OnGlobal, OnGlobalRemove};

void OnCapabilities(void* data, wl_seat*, std::uint32_t capabilities) {
  static_cast<Probe*>(data)->pointer = (capabilities & WL_SEAT_CAPABILITY_POINTER) != 0;
}
void OnSeatName(void*, wl_seat*, const char*) {}
constexpr wl_seat_listener kSeat{OnCapabilities, OnSeatName};

void OnEnter(void* data, ext_image_copy_capture_cursor_session_v1*) {
  static_cast<Probe*>(data)->entered = true;
}
void OnLeave(void*, ext_image_copy_capture_cursor_session_v1*) {}
void OnPosition(void*, ext_image_copy_capture_cursor_session_v1*, std::int32_t, std::int32_t) {}
void OnHotspot(void*, ext_image_copy_capture_cursor_session_v1*, std::int32_t, std::int32_t) {}
constexpr ext_image_copy_capture_cursor_session_v1_listener kCursor{OnEnter, OnLeave, OnPosition,
                                                                    OnHotspot};

// Dispatches until a cursor session entered or the time is up; false on a broken connection.
bool WaitForEnter(wl_display* display, Probe& p, std::chrono::milliseconds wait) {
  const auto end = std::chrono::steady_clock::now() + wait;
  while (!p.entered) {
    if (wl_display_dispatch_pending(display) < 0) return false;
    if (p.entered) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    while (wl_display_prepare_read(display) != 0) {
      if (wl_display_dispatch_pending(display) < 0) return false;
    }
    if (wl_display_flush(display) < 0) {
      wl_display_cancel_read(display);
      return false;
    }
    pollfd fd{wl_display_get_fd(display), POLLIN, 0};
    if (::poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
      wl_display_cancel_read(display);
      continue;
    }
    if (wl_display_read_events(display) < 0) return false;
  }
  return true;
}

CompositorCapture Ask(wl_display* display, std::chrono::milliseconds wait) {
  Probe p;
  wl_registry* registry = p.Keep(wl_display_get_registry(display));
  wl_registry_add_listener(registry, &kRegistry, &p);
  if (wl_display_roundtrip(display) < 0 || !p.globals.Enough()) return CompositorCapture::kNone;
  // The second registry binds what the first one named.
  p.bind = true;
  wl_registry* binding = p.Keep(wl_display_get_registry(display));
  wl_registry_add_listener(binding, &kRegistry, &p);
  if (wl_display_roundtrip(display) < 0 || !p.seat) return CompositorCapture::kNoPointer;
  wl_seat_add_listener(p.seat, &kSeat, &p);
  // A seat without a pointer device would make get_pointer a protocol error.
  if (wl_display_roundtrip(display) < 0 || !p.pointer) return CompositorCapture::kNoPointer;
  wl_pointer* pointer = p.Keep(wl_seat_get_pointer(p.seat));
  for (wl_output* output : p.outputs) {
    ext_image_capture_source_v1* source =
        ext_output_image_capture_source_manager_v1_create_source(p.sources, output);
    ext_image_copy_capture_cursor_session_v1* session =
        p.Keep(ext_image_copy_capture_manager_v1_create_pointer_cursor_session(p.capture, source,
                                                                               pointer));
    ext_image_capture_source_v1_destroy(source);
    ext_image_copy_capture_cursor_session_v1_add_listener(session, &kCursor, &p);
  }
  if (!WaitForEnter(display, p, wait)) return CompositorCapture::kNoPointer;
  return p.entered ? CompositorCapture::kReady : CompositorCapture::kNoPointer;
}

}  // namespace

CompositorCapture ProbeCompositor(std::chrono::milliseconds wait) {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) return CompositorCapture::kNone;
  const CompositorCapture answer = Ask(display, wait);
  wl_display_disconnect(display);
  return answer;
}

}  // namespace vistrel::linux_shell::wayland
