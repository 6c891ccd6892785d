#include "wayland/main_window_wayland.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/main_window_definition.h"
#include "app/twips.h"

namespace vistrel::linux_shell::wayland {
namespace def = main_window_definition;

WaylandMainWindow::WaylandMainWindow(double twipsPerPixel,
                                     std::unique_ptr<DesktopWindowControl> control)
    : ShellWindow(twipsPerPixel, std::move(control)),
      twipsPerLogical_(twipsPerPixel * PrimaryScreenRatio()) {}

WaylandMainWindow::~WaylandMainWindow() = default;

double WaylandMainWindow::TwipsPerDevicePixel() const {
  return widget_ ? twipsPerLogical_ / widget_->devicePixelRatioF() : twipsPerPixel_;
}

void WaylandMainWindow::Create(MainWindowEvents events) {
  events_ = std::move(events);
  events_.mouseDown = [this, down = std::move(events_.mouseDown)](int button, int shift, double x,
                                                                  double y) {
    if (!offer_ || !offer_(QPointF(x, y))) down(button, shift, x, y);
  };
  widget_ = std::make_unique<ViewWidget>(
      events_,
      [this](QWidget& widget) {
        QPainter painter(&widget);
        if (canvas_.isNull()) {
          painter.fillRect(widget.rect(), Qt::black);
          return;
        }
        painter.drawImage(0, 0, canvas_);
      },
      false);
  Dress(*widget_);
  widget_->resize(Logical(ToPixels(def::kClientWidthTwips)),
                  Logical(ToPixels(def::kClientHeightTwips)));
}

QImage& WaylandMainWindow::Canvas(int width, int height) {
  if (canvas_.width() != width || canvas_.height() != height ||
      canvas_.devicePixelRatio() != widget_->devicePixelRatioF()) {
    canvas_ = QImage(width, height, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(widget_->devicePixelRatioF());
  }
  return canvas_;
}

void WaylandMainWindow::ShowCanvas() {
  widget_->update();
}

void WaylandMainWindow::Blank() {
  canvas_.fill(Qt::black);
  widget_->update();
}

void WaylandMainWindow::Show() {
  if (widget_->isVisible()) return;
  widget_->show();
  // The frame Qt draws is known only now; a stored outer size is the frame's, so it is applied
  // again around the client area that fits it.
  if (outer_) ResizeOuter(outer_->width(), outer_->height());
  PlaceOnceShown();
  if (offer_) offer_(std::nullopt);
}

void WaylandMainWindow::Hide() {
  if (!widget_->isVisible()) return;
  FrameMargins();  // kept for the hidden window
  ReadBackPlace();
  widget_->hide();
}

QSize WaylandMainWindow::FrameMargins() {
  if (!widget_->isVisible()) return margins_;
  const double ratio = widget_->devicePixelRatioF();
  const QSize frame = widget_->frameGeometry().size() - widget_->size();
  margins_ = QSize(static_cast<int>(std::lround(frame.width() * ratio)),
                   static_cast<int>(std::lround(frame.height() * ratio)));
  return margins_;
}

QSize WaylandMainWindow::OuterSize() {
  return QSize(static_cast<int>(ClientWidth()), static_cast<int>(ClientHeight())) +
         (outer_ ? fittedMargins_ : FrameMargins());
}

float WaylandMainWindow::Width() {
  return PixelsToTwips(OuterSize().width(), TwipsPerDevicePixel());
}
float WaylandMainWindow::Height() {
  return PixelsToTwips(OuterSize().height(), TwipsPerDevicePixel());
}

void WaylandMainWindow::ResizeOuter(int width, int height) {
  const QSize margins = FrameMargins();
  fittedMargins_ = margins;
  widget_->resize(Logical(std::max(1, width - margins.width())),
                  Logical(std::max(1, height - margins.height())));
}

void WaylandMainWindow::SetLeft(float twips) {
  Place(twips, PlacedTop());
}
void WaylandMainWindow::SetTop(float twips) {
  Place(PlacedLeft(), twips);
}
void WaylandMainWindow::SetWidth(float twips) {
  StoreOuter(ToPixels(twips), OuterSize().height());
}
void WaylandMainWindow::SetHeight(float twips) {
  StoreOuter(OuterSize().width(), ToPixels(twips));
}

void WaylandMainWindow::StoreOuter(int width, int height) {
  outer_ = QSize(width, height);
  ResizeOuter(width, height);
}

void WaylandMainWindow::SetWindowPos(std::int32_t insertAfter, std::int32_t, std::int32_t,
                                     std::int32_t, std::int32_t, std::uint32_t) {
  SetTopmost(insertAfter);
}

}  // namespace vistrel::linux_shell::wayland
