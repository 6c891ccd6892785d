// The main window: a Qt tool window whose client area is the magnified view. The view is drawn
// by the ViewRenderer straight into the window's native X window, outside Qt's backing store;
// the outer frame (what the settings store) is read from the window manager's frame extents.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "platform/main_window.h"
#include "view_renderer.h"
#include "x11_connection.h"

namespace vistrel::x11 {

struct FrameExtents {
  int left = 0, right = 0, top = 0, bottom = 0;
  bool operator==(const FrameExtents&) const = default;
};

// The events of the window that reach the core.
struct MainWindowEvents {
  std::function<void()> resized;
  std::function<void()> activated;
  std::function<void(int button, int shift, double x, double y)> mouseDown;
  std::function<void()> closeRequested;
  // The keyboard's Menu key or Shift+F10 on the view: the tray's menu, for desktops without a
  // tray.
  std::function<void()> menuKey;
};

class ViewWidget : public QWidget {
 public:
  ViewWidget(ViewRenderer& renderer, MainWindowEvents& events);
  QPaintEngine* paintEngine() const override { return nullptr; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  ViewRenderer& renderer_;
  MainWindowEvents& events_;
};

class QtMainWindow : public platform::MainWindow {
 public:
  QtMainWindow(const Connection& x, double twipsPerPixel);
  ~QtMainWindow() override;

  // Creates the native window at the defined place, hidden; events go to the handlers given.
  void Create(MainWindowEvents events);
  ViewRenderer& Renderer() { return *renderer_; }
  QWidget* Widget() { return widget_.get(); }
  xcb_window_t NativeWindow() const { return window_; }
  // Asked first by PopupMenu: an entry already chosen elsewhere (a StatusNotifier host's menu)
  // is answered without showing the menu.
  void SetChosenEntrySource(std::function<std::optional<MenuItem>()> source) {
    chosenEntry_ = std::move(source);
  }

  bool Visible() override;
  void Show() override;
  void Hide() override;
  platform::WindowState State() override;
  void SetState(platform::WindowState state) override;
  float Left() override;
  float Top() override;
  float Width() override;
  float Height() override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  double ClientWidth() override;
  double ClientHeight() override;
  void SetWindowPos(std::int32_t insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, std::uint32_t flags) override;
  std::optional<MenuItem> PopupMenu(const MenuState& menu) override;
  std::uintptr_t PichookHandle() override;
  std::uintptr_t IconHandle() override;

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
  int ToPixels(float twips) const;

  const Connection& x_;
  double twipsPerPixel_;
  MainWindowEvents events_;
  std::unique_ptr<ViewRenderer> renderer_;
  std::unique_ptr<ViewWidget> widget_;
  xcb_window_t window_ = XCB_NONE;
  FrameExtents assumedExtents_;
  Outer hiddenOuter_;
  bool topmost_ = false;
  std::function<std::optional<MenuItem>()> chosenEntry_;
  // The outer frame came from the settings (else it follows the defined client area).
  bool outerStored_ = false;
  // Between a mapping and the window manager's first report of the frame.
  bool awaitingExtents_ = false;
  Outer shownOuter_;
};

}  // namespace vistrel::x11
