#include "common/shell_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <cmath>

#include "app/main_window_definition.h"
#include "app/mouse_codes.h"
#include "app/topmost.h"
#include "app/twips.h"
#include "common/popup_menu.h"
#include "common/resources_qt.h"

namespace vistrel::linux_shell {

double PrimaryScreenRatio() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->devicePixelRatio() : 1.0;
}

double TwipsPerPixelOfPrimaryScreen() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 15.0;
  const double dpi = screen->logicalDotsPerInchX() * screen->devicePixelRatio();
  return dpi > 0 ? 1440.0 / dpi : 15.0;
}

ViewWidget::ViewWidget(MainWindowEvents& events, std::function<void(QWidget&)> paint,
                       bool drawnOutsideQt)
    : events_(events), paint_(std::move(paint)), drawnOutsideQt_(drawnOutsideQt) {
  if (drawnOutsideQt_) {
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
  }
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_QuitOnClose, false);
}

void ViewWidget::paintEvent(QPaintEvent* /*event*/) {
  paint_(*this);
}

void ViewWidget::resizeEvent(QResizeEvent* /*event*/) {
  if (events_.resized) events_.resized();
}

void ViewWidget::mousePressEvent(QMouseEvent* event) {
  const Qt::MouseButton pressed = event->button();
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  const mouse::Codes codes = mouse::Encode({.left = pressed == Qt::LeftButton,
                                            .right = pressed == Qt::RightButton,
                                            .middle = pressed == Qt::MiddleButton,
                                            .shift = modifiers.testFlag(Qt::ShiftModifier),
                                            .ctrl = modifiers.testFlag(Qt::ControlModifier),
                                            .alt = modifiers.testFlag(Qt::AltModifier)});
  if (codes.button == 0) return;
  const double ratio = devicePixelRatioF();
  if (events_.mouseDown) {
    events_.mouseDown(codes.button, codes.shift, event->position().x() * ratio,
                      event->position().y() * ratio);
  }
}

void ViewWidget::keyPressEvent(QKeyEvent* event) {
  const bool shiftF10 =
      event->key() == Qt::Key_F10 && event->modifiers() == Qt::KeyboardModifiers(Qt::ShiftModifier);
  if ((event->key() == Qt::Key_Menu || shiftF10) && events_.menuKey) {
    events_.menuKey();
    return;
  }
  QWidget::keyPressEvent(event);
}

void ViewWidget::closeEvent(QCloseEvent* event) {
  // The core closes the program itself (and never returns); Qt must not hide the window first.
  event->ignore();
  if (events_.closeRequested) events_.closeRequested();
}

bool ViewWidget::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate && events_.activated) events_.activated();
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
  // The same logical size in other device pixels: for the core the view changed its size.
  if (event->type() == QEvent::DevicePixelRatioChange && events_.resized) events_.resized();
#endif
  return QWidget::event(event);
}

ShellWindow::ShellWindow(double twipsPerPixel, std::unique_ptr<DesktopWindowControl> control)
    : twipsPerPixel_(twipsPerPixel),
      control_(std::move(control)),
      placedLeft_(static_cast<float>(main_window_definition::kClientLeftTwips)),
      placedTop_(static_cast<float>(main_window_definition::kClientTopTwips)) {}

ShellWindow::~ShellWindow() = default;

int ShellWindow::ToPixels(double twips) const {
  return TwipsToPixels(twips, TwipsPerDevicePixel());
}

int ShellWindow::PlacePixels(double twips) const {
  return TwipsToPixels(twips, TwipsPerDesktopPixel());
}

int ShellWindow::Logical(int devicePixels) {
  return static_cast<int>(std::lround(devicePixels / Widget()->devicePixelRatioF()));
}

double ShellWindow::ClientWidth() {
  return std::round(Widget()->width() * Widget()->devicePixelRatioF());
}
double ShellWindow::ClientHeight() {
  return std::round(Widget()->height() * Widget()->devicePixelRatioF());
}

void ShellWindow::Place(float left, float top) {
  placedLeft_ = left;
  placedTop_ = top;
  if (control_ && Widget()->isVisible()) control_->Move(PlacePixels(left), PlacePixels(top));
}

void ShellWindow::ReadBackPlace() {
  if (!control_ || !control_->PlacedSinceShown() || !Widget()->isVisible()) return;
  const std::optional<QPoint> where = control_->Where();
  if (!where) return;
  // Where it was put, the place stays to the twip.
  const double perPixel = TwipsPerDesktopPixel();
  if (where->x() != PlacePixels(placedLeft_)) placedLeft_ = PixelsToTwips(where->x(), perPixel);
  if (where->y() != PlacePixels(placedTop_)) placedTop_ = PixelsToTwips(where->y(), perPixel);
}

void ShellWindow::PlaceOnceShown() {
  if (control_) {
    control_->ApplyWhenShown(*Widget(), PlacePixels(placedLeft_), PlacePixels(placedTop_),
                             topmost_);
  }
}

bool ShellWindow::SetTopmost(std::int32_t insertAfter) {
  if (insertAfter != Topmost::kHwndTopmost && insertAfter != Topmost::kHwndNoTopmost) {
    return false;
  }
  topmost_ = insertAfter == Topmost::kHwndTopmost;
  if (control_ && Widget()->isVisible()) control_->KeepAbove(topmost_);
  return true;
}

std::optional<MenuItem> ShellWindow::PopupMenu(const MenuState& menu) {
  if (chosenEntry_) {
    if (const std::optional<MenuItem> chosen = chosenEntry_()) return chosen;
  }
  return ShowPopupMenu(menu);
}

std::uintptr_t ShellWindow::IconHandle() {
  return static_cast<std::uintptr_t>(resources::MagnifierIcon().cacheKey());
}

platform::WindowState ShellWindow::State() {
  return Widget()->isMinimized() ? platform::WindowState::kMinimized
                                 : platform::WindowState::kNormal;
}

void ShellWindow::SetState(platform::WindowState state) {
  QWidget& widget = *Widget();
  const Qt::WindowStates current = widget.windowState();
  widget.setWindowState(state == platform::WindowState::kMinimized
                            ? current | Qt::WindowMinimized
                            : current & ~Qt::WindowMinimized);
}

void ShellWindow::Dress(QWidget& widget) {
  namespace def = main_window_definition;
  widget.setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                        Qt::WindowCloseButtonHint);
  widget.setWindowTitle(QString::fromUtf8(def::kCaption.data(), def::kCaption.size()));
  widget.setWindowIcon(resources::MagnifierIcon());
  widget.setMinimumSize(1, 1);
}

}  // namespace vistrel::linux_shell
