// Where the pointer is, told by the compositor's cursor sessions (one per output), and where
// each output's picture lies in desktop pixels. Desktop pixels are those of the portal path:
// each output's logical place times its scale, with its buffer's size, so a view copies buffer
// pixels one to one at any scale. Qt-free and Wayland-free: the screen feeds it the events.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "platform/screen.h"

namespace vistrel::linux_shell::wayland {

// An output as the compositor describes it: its logical place and size, and the size of the
// buffers it is captured into (0 until the capture says).
struct OutputPlace {
  int x = 0, y = 0, width = 0, height = 0;
  int bufferWidth = 0, bufferHeight = 0;
};

// The output's picture on the desktop, in pixels: the logical place scaled by buffer over
// logical size. Before the buffer size is known, the logical rectangle.
platform::PixelRect PixelPlace(const OutputPlace& output);

// The pointer from the cursor sessions' events. A position counts only after its session's
// enter (wlroots sends some without a hardware cursor) and only inside its output's buffer (at
// an edge the neighbouring output reports -1). The last place stays while no session is in.
class PointerTrack {
 public:
  using Output = std::uint32_t;  // the output's registry name

  void Enter(Output output);
  void Leave(Output output);
  // A position in the output's buffer pixels; true when it moved the pointer.
  bool Position(Output output, const OutputPlace& place, int x, int y);
  void Remove(Output output);

  platform::CursorPoint Where() const { return where_; }
  // Every move so far, counted: a caller tells motion from stillness by comparing.
  std::uint64_t Moves() const { return moves_; }
  // No session is in (none entered yet, or every one left): the place shown is the last one
  // known, if any.
  bool Lost() const;

 private:
  std::map<Output, bool> entered_;
  platform::CursorPoint where_;
  std::uint64_t moves_ = 0;
};

}  // namespace vistrel::linux_shell::wayland
