// What the main windows of both backends share: the events that reach the core, the widget that
// shows the view and reports them, and the popup menu (which first answers an entry chosen in a
// StatusNotifier host's copy of it).
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

#include "common/desktop_window_control.h"
#include "platform/main_window.h"

namespace vistrel::linux_shell {

// 1440 twips per inch over the primary screen's logical DPI in device pixels (15 at 96 DPI).
double TwipsPerPixelOfPrimaryScreen();
// The primary screen's device pixels per logical pixel, which that value counts in.
double PrimaryScreenRatio();

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
  // control: the desktop's own way of placing the window, or nullptr.
  ShellWindow(double twipsPerPixel, std::unique_ptr<DesktopWindowControl> control);
  ~ShellWindow() override;

  // Creates the window hidden; its events go to the handlers given.
  virtual void Create(MainWindowEvents events) = 0;
  virtual QWidget* Widget() = 0;

  // Asked first by PopupMenu: an entry already chosen elsewhere (a StatusNotifier host's menu)
  // is answered without showing the menu.
  void SetChosenEntrySource(std::function<std::optional<MenuItem>()> source) {
    chosenEntry_ = std::move(source);
  }
  bool Visible() final { return Widget()->isVisible(); }
  double ClientWidth() final;
  double ClientHeight() final;
  std::optional<MenuItem> PopupMenu(const MenuState& menu) override;
  std::uintptr_t IconHandle() override;
  // Just before the process ends.
  void WithdrawFromDesktop() {
    if (control_) control_->Withdraw();
  }
  platform::WindowState State() override;
  void SetState(platform::WindowState state) override;

 protected:
  // Caption, icon and flags of the main window.
  static void Dress(QWidget& widget);
  // Twips to device pixels, within the 16-bit coordinates window systems take (anything beyond
  // is off every screen anyway).
  int ToPixels(double twips) const;
  // What one device pixel of the window is in twips: the start-up value, unless a backend's
  // window learns its own scale later.
  virtual double TwipsPerDevicePixel() const { return twipsPerPixel_; }
  // What one pixel of the place that the desktop's window control takes and tells is in twips:
  // a device pixel unless a backend's desktop counts in pixels of its own.
  virtual double TwipsPerDesktopPixel() const { return TwipsPerDevicePixel(); }
  // Twips to those pixels, within 16 bits as above.
  int PlacePixels(double twips) const;
  // Device pixels to Qt's logical ones, for the widget's geometry.
  int Logical(int devicePixels);

  // Where the desktop places the window on request: then Left and Top are the place last set,
  // or where the desktop says the window is once it has put it there (the user may have moved
  // it since), so that the desktop's own choice never overwrites the stored place.
  bool DesktopPlaces() const { return control_ != nullptr; }
  float PlacedLeft() {
    ReadBackPlace();
    return placedLeft_;
  }
  float PlacedTop() {
    ReadBackPlace();
    return placedTop_;
  }
  // Also before the window is hidden, since the desktop forgets a hidden window.
  void ReadBackPlace();
  // Remembers the place, and asks the desktop for it at once when the window is shown.
  void Place(float left, float top);
  // After every showing: the desktop forgets a hidden window's place and stacking.
  void PlaceOnceShown();
  // The stacking call's Always on Top (false for any other insertAfter), asked of the desktop
  // at once when the window is shown.
  bool SetTopmost(std::int32_t insertAfter);
  bool Topmost() const { return topmost_; }

  double twipsPerPixel_;

 private:
  std::function<std::optional<MenuItem>()> chosenEntry_;
  std::unique_ptr<DesktopWindowControl> control_;
  float placedLeft_, placedTop_;
  bool topmost_ = false;
};

}  // namespace vistrel::linux_shell
