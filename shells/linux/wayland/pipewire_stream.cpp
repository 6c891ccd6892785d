#include "wayland/pipewire_stream.h"

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/video/format-utils.h>
#include <spa/pod/builder.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace vistrel::linux_shell::wayland {
namespace {

// A cursor metadata block for a w x h bitmap. mutter offers a 384 x 384 size and sends no
// cursor metadata at all to a stream whose range stops short of it.
constexpr int CursorMetaSize(int w, int h) {
  return static_cast<int>(sizeof(spa_meta_cursor) + sizeof(spa_meta_bitmap)) + w * h * 4;
}

// mutter 43 may leave a still monitor's stream without its first picture (seen on the first
// cast of a session: one cursor-only buffer, then nothing for seconds), and sends the next only
// when something on that monitor changes, so the view there would stay black. A stream paused
// and resumed is started anew, with a picture; this is tried at this interval until one comes.
constexpr long kFirstPictureWaitNs = 500'000'000;

PipeWireStream* Self(void* data) {
  return static_cast<PipeWireStream*>(data);
}

const pw_stream_events kEvents = [] {
  pw_stream_events events{};
  events.version = PW_VERSION_STREAM_EVENTS;
  events.param_changed = [](void* data, std::uint32_t id, const spa_pod* param) {
    Self(data)->OnParamChanged(id, param);
  };
  events.process = [](void* data) { Self(data)->OnProcess(); };
  events.state_changed = [](void* data, pw_stream_state, pw_stream_state state, const char*) {
    Self(data)->OnStateChanged(state);
  };
  events.remove_buffer = [](void* data, pw_buffer* buffer) { Self(data)->OnRemoveBuffer(buffer); };
  return events;
}();

const pw_core_events kCoreEvents = [] {
  pw_core_events events{};
  events.version = PW_VERSION_CORE_EVENTS;
  events.error = [](void* data, std::uint32_t id, int, int res, const char*) {
    static_cast<PipeWireConnection*>(data)->OnCoreError(id, res);
  };
  return events;
}();

const pw_registry_events kRegistryEvents = [] {
  pw_registry_events events{};
  events.version = PW_VERSION_REGISTRY_EVENTS;
  events.global_remove = [](void* data, std::uint32_t id) {
    static_cast<PipeWireConnection*>(data)->OnGlobalRemoved(id);
  };
  return events;
}();

bool HasPictureData(const spa_buffer* buffer) {
  if (buffer->n_datas < 1 || !buffer->datas[0].data || !buffer->datas[0].chunk) return false;
  const spa_chunk* chunk = buffer->datas[0].chunk;
  return chunk->size > 0 && (chunk->flags & SPA_CHUNK_FLAG_CORRUPTED) == 0;
}

// A context without PipeWire's realtime module, which the client configuration of PipeWire 1.x
// loads: its thread asks the desktop over D-Bus for realtime priority, and destroying the
// context waits for that thread. Where the answer never comes (after PipeWire restarted, the
// portal that would give it may itself wait on PipeWire), the thread that destroys the context
// waits with it, for good. A screen copy at 20 pictures a second needs no realtime priority.
pw_context* NewContext(pw_loop* loop) {
  return pw_context_new(loop, pw_properties_new("module.rt", "false", nullptr), 0);
}

}  // namespace

bool PipeWireRunning() {
  pw_init(nullptr, nullptr);
  pw_loop* loop = pw_loop_new(nullptr);
  pw_context* context = loop ? NewContext(loop) : nullptr;
  // Connecting is a connect() on PipeWire's socket, answered at once either way.
  pw_core* core = context ? pw_context_connect(context, nullptr, 0) : nullptr;
  if (core) pw_core_disconnect(core);
  if (context) pw_context_destroy(context);
  if (loop) pw_loop_destroy(loop);
  return core != nullptr;
}

PipeWireConnection::~PipeWireConnection() {
  if (loop_) pw_thread_loop_stop(loop_);
  if (coreListener_) spa_hook_remove(coreListener_);
  delete coreListener_;
  if (registryListener_) spa_hook_remove(registryListener_);
  delete registryListener_;
  if (registry_) pw_proxy_destroy(reinterpret_cast<pw_proxy*>(registry_));
  if (core_) pw_core_disconnect(core_);
  if (context_) pw_context_destroy(context_);
  if (loop_) pw_thread_loop_destroy(loop_);
}

bool PipeWireConnection::Open(int fd, std::string& error, std::function<void()> lost,
                              std::function<void(std::uint32_t id)> removed) {
  onLost_ = std::move(lost);
  onRemoved_ = std::move(removed);
  pw_init(nullptr, nullptr);
  loop_ = pw_thread_loop_new("vistrel-screen", nullptr);
  if (!loop_) {
    close(fd);
    error = "PipeWire: no thread loop";
    return false;
  }
  context_ = NewContext(pw_thread_loop_get_loop(loop_));
  if (!context_) {
    // Only a connect takes the descriptor over.
    close(fd);
    error = "PipeWire: can not connect to the screen cast's remote";
    return false;
  }
  core_ = pw_context_connect_fd(context_, fd, nullptr, 0);
  if (!core_) {
    error = "PipeWire: can not connect to the screen cast's remote";
    return false;
  }
  coreListener_ = new spa_hook{};
  pw_core_add_listener(core_, coreListener_, &kCoreEvents, this);
  // A source that goes away is gone from the registry, whatever its stream or the portal say.
  if (onRemoved_) {
    registry_ = pw_core_get_registry(core_, PW_VERSION_REGISTRY, 0);
    registryListener_ = new spa_hook{};
    if (registry_) pw_registry_add_listener(registry_, registryListener_, &kRegistryEvents, this);
  }
  if (pw_thread_loop_start(loop_) < 0) {
    error = "PipeWire: can not start its thread";
    return false;
  }
  return true;
}

void PipeWireConnection::OnCoreError(std::uint32_t id, int res) {
  // An error of the core object with EPIPE is PipeWire's word for a broken connection.
  if (id != PW_ID_CORE || res != -EPIPE || lost_.exchange(true)) return;
  if (onLost_) onLost_();
}

void PipeWireConnection::OnGlobalRemoved(std::uint32_t id) {
  if (onRemoved_) onRemoved_(id);
}

PipeWireStream::PipeWireStream() : listener_(new spa_hook{}) {}

PipeWireStream::~PipeWireStream() {
  if (stream_) {
    // The thread goes on for the other streams: the stream goes while it holds still.
    pw_thread_loop_lock(connection_->loop_);
    if (firstPictureTimer_) {
      pw_loop_destroy_source(pw_thread_loop_get_loop(connection_->loop_), firstPictureTimer_);
    }
    // Destroying disconnects, which is no failure to report.
    spa_hook_remove(listener_);
    if (held_) pw_stream_queue_buffer(stream_, held_);
    pw_stream_destroy(stream_);
    pw_thread_loop_unlock(connection_->loop_);
  }
  connection_.reset();
  delete listener_;
}

bool PipeWireStream::Start(std::shared_ptr<PipeWireConnection> connection, std::uint32_t node,
                           int maxFramesPerSecond, std::string& error, Events events) {
  connection_ = std::move(connection);
  events_ = std::move(events);
  maxFramesPerSecond_ = maxFramesPerSecond;
  pw_thread_loop_lock(connection_->loop_);
  stream_ = pw_stream_new(connection_->core_, "Vistrel",
                          pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY,
                                            "Capture", PW_KEY_MEDIA_ROLE, "Screen", nullptr));
  pw_stream_add_listener(stream_, listener_, &kEvents, this);
  std::uint8_t storage[1024];
  spa_pod_builder builder{};
  spa_pod_builder_init(&builder, storage, sizeof storage);
  spa_rectangle defaultSize{1024, 768}, minSize{1, 1}, maxSize{16384, 16384};
  spa_fraction anyRate{0, 1}, rate{static_cast<std::uint32_t>(maxFramesPerSecond), 1},
      minRate{1, 1};
  const spa_pod* format = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_Format, SPA_PARAM_EnumFormat, SPA_FORMAT_mediaType,
      SPA_POD_Id(SPA_MEDIA_TYPE_video), SPA_FORMAT_mediaSubtype, SPA_POD_Id(SPA_MEDIA_SUBTYPE_raw),
      SPA_FORMAT_VIDEO_format,
      SPA_POD_CHOICE_ENUM_Id(3, SPA_VIDEO_FORMAT_BGRx, SPA_VIDEO_FORMAT_BGRx,
                             SPA_VIDEO_FORMAT_BGRA),
      SPA_FORMAT_VIDEO_size, SPA_POD_CHOICE_RANGE_Rectangle(&defaultSize, &minSize, &maxSize),
      SPA_FORMAT_VIDEO_framerate, SPA_POD_Fraction(&anyRate), SPA_FORMAT_VIDEO_maxFramerate,
      SPA_POD_CHOICE_RANGE_Fraction(&rate, &minRate, &rate)));
  const int rc = pw_stream_connect(
      stream_, PW_DIRECTION_INPUT, node,
      static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS),
      &format, 1);
  pw_loop* loop = pw_thread_loop_get_loop(connection_->loop_);
  firstPictureTimer_ = pw_loop_add_timer(
      loop, [](void* data, std::uint64_t) { Self(data)->OnFirstPictureLate(); }, this);
  if (firstPictureTimer_) {
    timespec wait{0, kFirstPictureWaitNs};
    pw_loop_update_timer(loop, firstPictureTimer_, &wait, &wait, false);
  }
  pw_thread_loop_unlock(connection_->loop_);
  if (rc < 0) {
    error = "PipeWire: can not connect to the screen's stream: " + std::string(strerror(-rc));
    return false;
  }
  return true;
}

void PipeWireStream::OnParamChanged(std::uint32_t id, const spa_pod* param) {
  if (id != SPA_PARAM_Format || !param) return;
  spa_video_info_raw info{};
  if (spa_format_video_raw_parse(param, &info) < 0) return;
  {
    std::lock_guard lock(mutex_);
    width_ = static_cast<int>(info.size.width);
    height_ = static_cast<int>(info.size.height);
  }
  std::uint8_t storage[1024];
  spa_pod_builder builder{};
  spa_pod_builder_init(&builder, storage, sizeof storage);
  const spa_pod* params[3];
  params[0] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamBuffers, SPA_PARAM_Buffers, SPA_PARAM_BUFFERS_buffers,
      SPA_POD_CHOICE_RANGE_Int(4, 2, 8), SPA_PARAM_BUFFERS_dataType,
      SPA_POD_CHOICE_FLAGS_Int((1 << SPA_DATA_MemPtr) | (1 << SPA_DATA_MemFd))));
  params[1] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
      SPA_POD_Id(SPA_META_Header), SPA_PARAM_META_size, SPA_POD_Int(sizeof(spa_meta_header))));
  params[2] = static_cast<const spa_pod*>(spa_pod_builder_add_object(
      &builder, SPA_TYPE_OBJECT_ParamMeta, SPA_PARAM_Meta, SPA_PARAM_META_type,
      SPA_POD_Id(SPA_META_Cursor), SPA_PARAM_META_size,
      SPA_POD_CHOICE_RANGE_Int(CursorMetaSize(64, 64), CursorMetaSize(1, 1),
                               CursorMetaSize(384, 384))));
  pw_stream_update_params(stream_, params, 3);
}

void PipeWireStream::OnStateChanged(int state) {
  if (state != PW_STREAM_STATE_ERROR && state != PW_STREAM_STATE_UNCONNECTED) return;
  if (events_.failed) std::exchange(events_.failed, nullptr)();
}

void PipeWireStream::OnProcess() {
  // Only the newest buffer matters; the older ones go straight back.
  pw_buffer* newest = nullptr;
  while (pw_buffer* buffer = pw_stream_dequeue_buffer(stream_)) {
    if (newest) pw_stream_queue_buffer(stream_, newest);
    newest = buffer;
  }
  if (!newest) return;
  const auto* cursor = static_cast<const spa_meta_cursor*>(
      spa_buffer_find_meta_data(newest->buffer, SPA_META_Cursor, sizeof(spa_meta_cursor)));
  std::function<void()> wake;
  {
    std::lock_guard lock(mutex_);
    if (cursor) {
      const std::optional<StreamPoint> before = cursor_;
      if (spa_meta_cursor_is_valid(cursor)) {
        cursor_ = StreamPoint{cursor->position.x, cursor->position.y};
      } else {
        cursor_.reset();
      }
      if (cursor_ != before) wake = std::exchange(cursorWake_, nullptr);
    }
    if (!HasPictureData(newest->buffer)) {
      ++cursorOnly_;
      pw_stream_queue_buffer(stream_, newest);
    } else {
      ++pictures_;
      if (held_) pw_stream_queue_buffer(stream_, held_);
      held_ = newest;
      kept_.rows = 0;
    }
  }
  // Outside the lock: the wake may ask for the cursor at once.
  if (wake) wake();
  if (events_.firstPicture && HasPicture()) std::exchange(events_.firstPicture, nullptr)();
}

void PipeWireStream::OnFirstPictureLate() {
  if (HasPicture()) {
    timespec never{};
    pw_loop_update_timer(pw_thread_loop_get_loop(connection_->loop_), firstPictureTimer_, &never,
                         nullptr, false);
    return;
  }
  if (pw_stream_get_state(stream_, nullptr) != PW_STREAM_STATE_STREAMING) return;
  pw_stream_set_active(stream_, false);
  pw_stream_set_active(stream_, true);
}

void PipeWireStream::OnRemoveBuffer(pw_buffer* buffer) {
  // PipeWire unmaps the buffers it takes back, at any time (KWin's stream does so between
  // frames): the held picture moves into the program's memory, where it stays until the next,
  // since the desktop sends none while the screen stands still.
  std::lock_guard lock(mutex_);
  if (held_ != buffer) return;
  const spa_data& data = held_->buffer->datas[0];
  kept_.stride = data.chunk->stride > 0 ? data.chunk->stride : width_ * 4;
  kept_.rows = std::min<int>(height_, static_cast<int>(data.chunk->size / kept_.stride));
  kept_.width = width_;
  const auto* base = static_cast<const std::uint8_t*>(data.data) + data.chunk->offset;
  kept_.pixels.assign(base, base + std::size_t(kept_.rows) * kept_.stride);
  held_ = nullptr;
}

std::optional<StreamPoint> PipeWireStream::Cursor() const {
  std::lock_guard lock(mutex_);
  return cursor_;
}

bool PipeWireStream::WakeOnCursorChange(const std::optional<StreamPoint>& seen,
                                        std::function<void()> wake) {
  std::lock_guard lock(mutex_);
  if (cursor_ != seen) return false;
  cursorWake_ = std::move(wake);
  return true;
}

bool PipeWireStream::HasPicture() const {
  std::lock_guard lock(mutex_);
  return held_ != nullptr || kept_.rows > 0;
}

int PipeWireStream::Width() const {
  std::lock_guard lock(mutex_);
  return width_;
}

int PipeWireStream::Height() const {
  std::lock_guard lock(mutex_);
  return height_;
}

std::uint64_t PipeWireStream::PicturesReceived() const {
  std::lock_guard lock(mutex_);
  return pictures_;
}

std::uint64_t PipeWireStream::CursorOnlyBuffers() const {
  std::lock_guard lock(mutex_);
  return cursorOnly_;
}

bool PipeWireStream::WithPicture(const std::function<void(const magnifier::PixelsIn&)>& use) const {
  std::lock_guard lock(mutex_);
  if (!held_ && kept_.rows == 0) return false;
  magnifier::PixelsIn picture{kept_.pixels.data(), kept_.stride, kept_.width, kept_.rows};
  if (held_) {
    const spa_data& data = held_->buffer->datas[0];
    picture.rows = static_cast<const std::uint8_t*>(data.data) + data.chunk->offset;
    picture.stride = data.chunk->stride > 0 ? data.chunk->stride : width_ * 4;
    picture.height = std::min<int>(height_, static_cast<int>(data.chunk->size / picture.stride));
    picture.width = width_;
  }
  use(picture);
  return true;
}

}  // namespace vistrel::linux_shell::wayland
