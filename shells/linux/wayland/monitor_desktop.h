// What both Wayland screens (the portal's and the compositor's own) answer alike from the
// monitors they know: the desktop's box in twips, and the monitors whole, since a Wayland client
// is not told where panels lie. Before the first monitor is known Qt's screens stand in, in
// device pixels, so that a stored frame on no screen is brought back onto one as on X11.
#pragma once

#include <vector>

#include "platform/screen.h"

namespace vistrel::linux_shell::wayland {

class MonitorDesktop : public platform::Screen {
 public:
  explicit MonitorDesktop(double twipsPerPixel) : twipsPerPixel_(twipsPerPixel) {}

  double LeftTwips() override;
  double TopTwips() override;
  double WidthTwips() override;
  double HeightTwips() override;
  double TwipsPerPixelX() override { return twipsPerPixel_; }
  double TwipsPerPixelY() override { return twipsPerPixel_; }
  std::vector<platform::Monitor> Monitors() override;

 protected:
  // Each known monitor's place in desktop pixels, the primary first; empty while none is known.
  virtual std::vector<platform::PixelRect> Places() const = 0;

 private:
  platform::PixelRect Desktop();

  double twipsPerPixel_;
};

}  // namespace vistrel::linux_shell::wayland
