#include "magnifier/nearest_copy.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace vistrel::magnifier {

void CopyNearest(const PixelsIn& picture, const SourceArea& area, const PixelsOut& view) {
  if (view.width <= 0 || view.height <= 0 || area.width <= 0 || area.height <= 0) return;
  // The picture column of each view column, once per copy rather than once per pixel. The
  // columns grow with i, so those on the picture are one run, first to last.
  std::vector<int> columns(static_cast<std::size_t>(view.width));
  int first = view.width, last = -1;
  for (int i = 0; i < view.width; ++i) {
    columns[i] = static_cast<int>(std::floor(area.left + (i + 0.5) * area.width / view.width));
    if (columns[i] >= 0 && columns[i] < picture.width) {
      first = std::min(first, i);
      last = i;
    }
  }
  if (last < 0) return;
  const std::size_t run = std::size_t(last - first + 1) * 4;
  int lastY = -1;
  const std::uint32_t* lastRow = nullptr;
  for (int j = 0; j < view.height; ++j) {
    const int y = static_cast<int>(std::floor(area.top + (j + 0.5) * area.height / view.height));
    if (y < 0 || y >= picture.height) continue;
    auto* row = reinterpret_cast<std::uint32_t*>(view.rows + j * view.stride);
    // Enlarged, view rows repeat: the row above from the same picture row is the same pixels.
    if (y == lastY) {
      std::memcpy(row + first, lastRow + first, run);
      continue;
    }
    const auto* source = reinterpret_cast<const std::uint32_t*>(picture.rows + y * picture.stride);
    for (int i = first; i <= last; ++i) row[i] = source[columns[i]] | 0xff000000u;
    lastY = y;
    lastRow = row;
  }
}

}  // namespace vistrel::magnifier
