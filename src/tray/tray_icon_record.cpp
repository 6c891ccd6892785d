#include "tray/tray_icon_record.h"

#include <algorithm>

namespace vistrel {

void TrayIconRecord::SetTip(std::string_view tip) {
  const std::size_t n = std::min(tip.size(), szTip.size() - 1);
  std::copy_n(tip.data(), n, szTip.begin());
  szTip[n] = '\0';
  std::fill(szTip.begin() + static_cast<std::ptrdiff_t>(n) + 1, szTip.end(), ' ');
}

std::string_view TrayIconRecord::Tip() const {
  const auto end = std::find(szTip.begin(), szTip.end(), '\0');
  return std::string_view(szTip.data(), static_cast<std::size_t>(end - szTip.begin()));
}

}  // namespace vistrel
