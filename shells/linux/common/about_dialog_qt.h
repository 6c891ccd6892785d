// The About dialog built from the core's layout table: a fixed 220 x 293 dialog (at 96 DPI)
// with every label at its twips position, the nearest fonts to those named, the divider lines,
// the blue link with the hand pointer, and the OK button focused but neither default nor bound
// to Escape. Ctrl+C copies the dialog's texts, as a message box does.
#pragma once

#include <functional>
#include <memory>

#include "platform/about_view.h"

class QWidget;

namespace vistrel::linux_shell {

// Runs a handler the way the shell runs every core handler (frmMain::Dispatch).
using Dispatcher = std::function<void(const std::function<void()>&)>;

class QtAboutViewFactory : public platform::AboutViewFactory {
 public:
  // owner: the window the dialog is centred over.
  QtAboutViewFactory(double twipsPerPixel, QWidget* const* owner, Dispatcher dispatch)
      : twipsPerPixel_(twipsPerPixel), owner_(owner), dispatch_(std::move(dispatch)) {}
  std::unique_ptr<platform::AboutView> Create(frmabout& handlers) override;

 private:
  double twipsPerPixel_;
  QWidget* const* owner_;
  Dispatcher dispatch_;
};

}  // namespace vistrel::linux_shell
