// The About dialog built from the core's layout table: a fixed 220 x 293 dialog (at 96 DPI)
// with every label at its twips position, the nearest fonts to those named, the divider lines,
// the blue link with the hand pointer, and the OK button focused but neither default nor bound
// to Escape. Ctrl+C copies the dialog's texts, as a message box does.
#pragma once

#include <memory>

#include "platform/about_view.h"

class QWidget;

namespace vistrel::x11 {

class QtAboutViewFactory : public platform::AboutViewFactory {
 public:
  // owner: the window the dialog is centred over.
  QtAboutViewFactory(double twipsPerPixel, QWidget* const* owner)
      : twipsPerPixel_(twipsPerPixel), owner_(owner) {}
  std::unique_ptr<platform::AboutView> Create(frmabout& handlers) override;

 private:
  double twipsPerPixel_;
  QWidget* const* owner_;
};

}  // namespace vistrel::x11
