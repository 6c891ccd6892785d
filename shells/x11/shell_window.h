// What the main windows of both backends share: the events that reach the core, the widget that
// shows the view and reports them, and the popup menu (which first answers an entry chosen in a
// StatusNotifier host's copy of it).
#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "platform/main_window.h"

namespace vistrel::x11 {

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
  // paint draws the view. drawnOutsideQt: something other than Qt (the X server) draws into the
  // native window, so Qt must neither paint nor flush a backing store over it.
  ViewWidget(MainWindowEvents& events, std::function<void(QWidget&)> paint, bool drawnOutsideQt);
  QPaintEngine* paintEngine() const override {
    return drawnOutsideQt_ ? nullptr : QWidget::paintEngine();
  }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool event(QEvent* event) override;

 private:
  MainWindowEvents& events_;
  std::function<void(QWidget&)> paint_;
  bool drawnOutsideQt_;
};

class ShellWindow : public platform::MainWindow {
 public:
  // Creates the window hidden; its events go to the handlers given.
  virtual void Create(MainWindowEvents events) = 0;
  virtual QWidget* Widget() = 0;

  // Asked first by PopupMenu: an entry already chosen elsewhere (a StatusNotifier host's menu)
  // is answered without showing the menu.
  void SetChosenEntrySource(std::function<std::optional<MenuItem>()> source) {
    chosenEntry_ = std::move(source);
  }
  std::optional<MenuItem> PopupMenu(const MenuState& menu) override;
  std::uintptr_t IconHandle() override;
  platform::WindowState State() override;
  void SetState(platform::WindowState state) override;

 protected:
  // Caption, icon and flags of the main window.
  static void Dress(QWidget& widget);

 private:
  std::function<std::optional<MenuItem>()> chosenEntry_;
};

}  // namespace vistrel::x11
