#include "main_window_wayland.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/main_window_definition.h"

namespace vistrel::x11 {
namespace def = main_window_definition;

WaylandMainWindow::WaylandMainWindow(double twipsPerPixel,
                                     std::unique_ptr<DesktopWindowControl> control)
    : ShellWindow(twipsPerPixel, std::move(control)) {}

WaylandMainWindow::~WaylandMainWindow() = default;

void WaylandMainWindow::Create(MainWindowEvents events) {
  events_ = std::move(events);
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
  const double ratio = widget_->devicePixelRatioF();
  widget_->resize(
      static_cast<int>(std::lround(ToPixels(static_cast<float>(def::kClientWidthTwips)) / ratio)),
      static_cast<int>(std::lround(ToPixels(static_cast<float>(def::kClientHeightTwips)) / ratio)));
}

QImage& WaylandMainWindow::Canvas(int width, int height) {
  if (canvas_.width() != width || canvas_.height() != height) {
    canvas_ = QImage(width, height, QImage::Format_RGB32);
    canvas_.setDevicePixelRatio(widget_->devicePixelRatioF());
  }
  return canvas_;
}

void WaylandMainWindow::ShowCanvas() {
  widget_->update();
}

bool WaylandMainWindow::Visible() {
  return widget_->isVisible();
}

void WaylandMainWindow::Show() {
  if (widget_->isVisible()) return;
  widget_->show();
  // The frame Qt draws is known only now; a stored outer size is the frame's, so it is applied
  // again around the client area that fits it.
  if (outerStored_) ResizeOuter(outer_.width(), outer_.height());
  PlaceOnceShown();
}

void WaylandMainWindow::Hide() {
  if (!widget_->isVisible()) return;
  margins_ = FrameMargins();
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

float WaylandMainWindow::Width() {
  return static_cast<float>((ClientWidth() + FrameMargins().width()) * twipsPerPixel_);
}
float WaylandMainWindow::Height() {
  return static_cast<float>((ClientHeight() + FrameMargins().height()) * twipsPerPixel_);
}

void WaylandMainWindow::ResizeOuter(int width, int height) {
  const QSize margins = FrameMargins();
  const double ratio = widget_->devicePixelRatioF();
  widget_->resize(static_cast<int>(std::lround(std::max(1, width - margins.width()) / ratio)),
                  static_cast<int>(std::lround(std::max(1, height - margins.height()) / ratio)));
}

void WaylandMainWindow::SetLeft(float twips) {
  Place(twips, PlacedTop());
}
void WaylandMainWindow::SetTop(float twips) {
  Place(PlacedLeft(), twips);
}
void WaylandMainWindow::SetWidth(float twips) {
  StoreOuter(ToPixels(twips), static_cast<int>(std::lround(Height() / twipsPerPixel_)));
}
void WaylandMainWindow::SetHeight(float twips) {
  StoreOuter(static_cast<int>(std::lround(Width() / twipsPerPixel_)), ToPixels(twips));
}

void WaylandMainWindow::StoreOuter(int width, int height) {
  outerStored_ = true;
  outer_ = QSize(width, height);
  ResizeOuter(width, height);
}

double WaylandMainWindow::ClientWidth() {
  return std::round(widget_->width() * widget_->devicePixelRatioF());
}
double WaylandMainWindow::ClientHeight() {
  return std::round(widget_->height() * widget_->devicePixelRatioF());
}

void WaylandMainWindow::SetWindowPos(std::int32_t insertAfter, std::int32_t, std::int32_t,
                                     std::int32_t, std::int32_t, std::uint32_t) {
  SetTopmost(insertAfter);
}

}  // namespace vistrel::x11
