// The one rule that turns a source rectangle into the view's pixels where a program copies on
// the CPU (the Wayland screens, the X11 copy without XRender): each view pixel shows the source
// pixel under its centre, as the stretch copy and the X server's nearest filter pick it. The
// rectangle may reach past the picture (a picture is one monitor of several): view pixels whose
// centre falls outside it are left as they are, so several pictures can fill one view in turn.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vistrel::magnifier {

// 32-bit pixels (xRGB in native byte order), rows of stride bytes.
struct PixelsIn {
  const std::uint8_t* rows = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

struct PixelsOut {
  std::uint8_t* rows = nullptr;
  std::ptrdiff_t stride = 0;
  int width = 0;
  int height = 0;
};

// The source rectangle in the picture's pixels; it may start before it or end past it.
struct SourceArea {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

// View pixel (i, j) gets picture pixel (floor(left + (i + 0.5) * width / view width), same for
// j), made opaque. Nothing happens for an empty view or rectangle.
void CopyNearest(const PixelsIn& picture, const SourceArea& area, const PixelsOut& view);

}  // namespace vistrel::magnifier
