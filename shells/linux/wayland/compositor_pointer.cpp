#include "wayland/compositor_pointer.h"

#include <cmath>

namespace vistrel::linux_shell::wayland {

platform::PixelRect PixelPlace(const OutputPlace& o) {
  if (o.bufferWidth <= 0 || o.bufferHeight <= 0 || o.width <= 0 || o.height <= 0) {
    return {double(o.x), double(o.y), double(o.width), double(o.height)};
  }
  return {std::round(o.x * double(o.bufferWidth) / o.width),
          std::round(o.y * double(o.bufferHeight) / o.height), double(o.bufferWidth),
          double(o.bufferHeight)};
}

void PointerTrack::Enter(Output output) {
  entered_[output] = true;
}

void PointerTrack::Leave(Output output) {
  entered_[output] = false;
}

bool PointerTrack::Position(Output output, const OutputPlace& place, int x, int y) {
  const auto in = entered_.find(output);
  if (in == entered_.end() || !in->second) return false;
  const platform::PixelRect at = PixelPlace(place);
  if (x < 0 || y < 0 || x >= at.width || y >= at.height) return false;
  const platform::CursorPoint now{static_cast<std::int32_t>(at.left) + x,
                                  static_cast<std::int32_t>(at.top) + y};
  if (now.x == where_.x && now.y == where_.y) return false;
  where_ = now;
  ++moves_;
  return true;
}

void PointerTrack::Remove(Output output) {
  entered_.erase(output);
}

bool PointerTrack::Lost() const {
  for (const auto& [output, in] : entered_) {
    if (in) return false;
  }
  return true;
}

}  // namespace vistrel::linux_shell::wayland
