// The main window: a Qt tool window whose client area is the magnified view. The view is drawn
// by the ViewRenderer straight into the window's native X window, outside Qt's backing store;
// the outer frame (what the settings store) is read from the window manager's frame extents.
#pragma once

#include <memory>

#include "common/shell_window.h"
#include "x11/view_renderer.h"
#include "x11/x11_connection.h"

namespace vistrel::linux_shell::x11 {

struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
  bool operator==(const FrameExtents&) const = default;
};

class QtMainWindow : public ShellWindow {
 public:
  // control: where the window manager ignores the program's own placement (sway), the desktop's
  // way of placing the window (see ShellWindow::DesktopPlaces).
  QtMainWindow(const Connection& x, double twipsPerPixel,
               std::unique_ptr<DesktopWindowControl> control = nullptr);
  ~QtMainWindow() override;

  // Creates the native window at the defined place, hidden; events go to the handlers given.
  void Create(MainWindowEvents events) override;
  ViewRenderer& Renderer() { return *renderer_; }
  QWidget* Widget() override { return widget_.get(); }

  void Show() override;
  void Hide() override;
  float Left() override;
  float Top() override;
  float Width() override;
  float Height() override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetWindowPos(std::int32_t insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, std::uint32_t flags) override;
  std::uintptr_t PichookHandle() override;

  // X events from the shell's filter: the frame extents the window manager reports after
  // mapping, for a manager that could not tell them before.
  bool HandleXEvent(const void* event);

 private:
  struct Outer {
    int x = 0, y = 0, width = 0, height = 0;
  };
  FrameExtents Extents() const;
  void LearnExtentsBeforeMapping();
  // The outer frame where it is now (mapped) or where it will be shown (hidden).
  Outer CurrentOuter();
  void ApplyOuter(const Outer& outer);
  // A stored position or size replaces one side of the frame at once.
  void SetOuter(int Outer::*field, float twips);
  void SetNetWmStateBeforeMapping();

  const Connection& x_;
  MainWindowEvents events_;
  std::unique_ptr<ViewRenderer> renderer_;
  std::unique_ptr<ViewWidget> widget_;
  xcb_window_t window_ = XCB_NONE;
  FrameExtents assumedExtents_;
  Outer hiddenOuter_;
  // The outer frame came from the settings (else it follows the defined client area).
  bool outerStored_ = false;
  // Between a mapping and the window manager's first report of the frame.
  bool awaitingExtents_ = false;
  Outer shownOuter_;
};

}  // namespace vistrel::linux_shell::x11
