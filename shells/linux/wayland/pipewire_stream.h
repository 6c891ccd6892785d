// One ScreenCast stream received over PipeWire, for the Wayland backend: PipeWire runs on a
// thread of its own (pw_thread_loop) that the cast's streams share, the stream asks for
// shared-memory BGRx/BGRA pictures at most at the given rate and for cursor metadata; only the
// newest buffer with a picture is kept (a cursor-only buffer updates the pointer and is given
// back at once), and a caller copies just the rectangle it needs out of it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "magnifier/nearest_copy.h"

struct pw_buffer;
struct pw_context;
struct pw_core;
struct pw_registry;
struct pw_stream;
struct pw_thread_loop;
struct spa_hook;
struct spa_pod;
struct spa_source;

namespace vistrel::linux_shell::wayland {

struct StreamPoint {
  int x = 0;
  int y = 0;
  bool operator==(const StreamPoint&) const = default;
};

// Whether the PipeWire daemon takes connections (it may be restarting): the compositor needs it
// to start a screen cast, and where it can not, the portal turns to its consent dialog.
bool PipeWireRunning();

// The connection to the PipeWire remote the portal opened, and the thread PipeWire runs on,
// which every stream of one screen cast shares: the remote is one socket, and connections over
// duplicates of it read each other's messages (PipeWire then sees one client with one stream).
class PipeWireConnection {
 public:
  PipeWireConnection() = default;
  ~PipeWireConnection();
  PipeWireConnection(const PipeWireConnection&) = delete;
  PipeWireConnection& operator=(const PipeWireConnection&) = delete;

  // Connects over fd (taken over). False, with the reason, when PipeWire refuses. lost is
  // called once, on PipeWire's thread, when the connection breaks (PipeWire ended); removed,
  // there too, with each object of PipeWire's that goes away (a stream's source node, say).
  bool Open(int fd, std::string& error, std::function<void()> lost = {},
            std::function<void(std::uint32_t id)> removed = {});

  // PipeWire's callback (on its thread).
  void OnCoreError(std::uint32_t id, int res);
  void OnGlobalRemoved(std::uint32_t id);

 private:
  friend class PipeWireStream;
  pw_thread_loop* loop_ = nullptr;
  pw_context* context_ = nullptr;
  pw_core* core_ = nullptr;
  spa_hook* coreListener_ = nullptr;
  pw_registry* registry_ = nullptr;
  spa_hook* registryListener_ = nullptr;
  std::atomic<bool> lost_ = false;
  std::function<void()> onLost_;
  std::function<void(std::uint32_t)> onRemoved_;
};

class PipeWireStream {
 public:
  PipeWireStream();
  ~PipeWireStream();
  PipeWireStream(const PipeWireStream&) = delete;
  PipeWireStream& operator=(const PipeWireStream&) = delete;

  // What a stream tells of itself, each once, on PipeWire's thread.
  struct Events {
    std::function<void()> firstPicture;
    std::function<void()> failed;  // stopped for good: its node went, an error
  };
  // Connects to the stream's node over a connection that the cast's other streams share. False,
  // with the reason, when PipeWire refuses.
  bool Start(std::shared_ptr<PipeWireConnection> connection, std::uint32_t node,
             int maxFramesPerSecond, std::string& error, Events events = {});

  // The pointer in the stream's pixels while the compositor reports it over this stream.
  std::optional<StreamPoint> Cursor() const;
  // Calls wake once, on PipeWire's thread, when the pointer's report next differs from seen
  // (what Cursor() last gave the caller). False, and nothing armed, when it differs already.
  bool WakeOnCursorChange(const std::optional<StreamPoint>& seen, std::function<void()> wake);
  // Whether a picture has arrived yet, and its size.
  bool HasPicture() const;
  int Width() const;
  int Height() const;

  // Lends the newest picture to use, under the stream's lock (PipeWire may hold the buffer).
  // False, and use not called, without a picture.
  bool WithPicture(const std::function<void(const magnifier::PixelsIn&)>& use) const;

  // Counters for the tests and the cost measurement.
  std::uint64_t PicturesReceived() const;
  std::uint64_t CursorOnlyBuffers() const;

  // PipeWire's callbacks (on its thread).
  void OnProcess();
  void OnParamChanged(std::uint32_t id, const spa_pod* param);
  // Until the first picture: starts the stream anew if none came.
  void OnFirstPictureLate();
  void OnStateChanged(int state);
  void OnRemoveBuffer(pw_buffer* buffer);

 private:
  std::shared_ptr<PipeWireConnection> connection_;
  pw_stream* stream_ = nullptr;
  spa_hook* listener_ = nullptr;
  spa_source* firstPictureTimer_ = nullptr;  // on PipeWire's thread, like the stream
  Events events_;                            // PipeWire's thread only, once started

  mutable std::mutex mutex_;  // guards everything below
  pw_buffer* held_ = nullptr;
  // The held picture, once PipeWire took back its buffer; none while rows is 0.
  struct {
    std::vector<std::uint8_t> pixels;
    int stride = 0, rows = 0, width = 0;
  } kept_;
  int width_ = 0, height_ = 0;
  std::optional<StreamPoint> cursor_;
  std::function<void()> cursorWake_;  // armed by WakeOnCursorChange, cleared when it fires
  std::uint64_t pictures_ = 0, cursorOnly_ = 0;
  int maxFramesPerSecond_ = 20;
};

}  // namespace vistrel::linux_shell::wayland
