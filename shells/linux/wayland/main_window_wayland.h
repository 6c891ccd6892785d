// The main window as a Wayland client: a Qt tool window that shows the picture the screen
// copied, redrawn only when a tick of the core draws. A Wayland client is told neither where its
// window is nor may it place it or keep it above others; where the desktop offers a way of its
// own (DesktopWindowControl) the stored place and Always on Top go through it, and the place is
// read back from it. Elsewhere Left and Top stay what was stored, so that an X11 session still
// finds them; the size applies everywhere.
#pragma once

#include <QImage>
#include <QPointF>
#include <functional>
#include <memory>
#include <optional>

#include "common/shell_window.h"

namespace vistrel::linux_shell::wayland {

class WaylandMainWindow : public ShellWindow {
 public:
  // control: the desktop's own placement, or nullptr.
  WaylandMainWindow(double twipsPerPixel, std::unique_ptr<DesktopWindowControl> control);
  ~WaylandMainWindow() override;

  void Create(MainWindowEvents events) override;
  QWidget* Widget() override { return widget_.get(); }
  // The picture the screen fills, in device pixels, and its showing.
  QImage& Canvas(int width, int height);
  void ShowCanvas();
  // Black until the next picture.
  void Blank();
  // Asked at each click on the view (where, in device pixels) and after each showing (nullopt);
  // a click it answers true to is taken.
  void SetViewOffer(std::function<bool(std::optional<QPointF>)> offer) {
    offer_ = std::move(offer);
  }

  void Show() override;
  void Hide() override;
  float Left() override { return PlacedLeft(); }
  float Top() override { return PlacedTop(); }
  float Width() override;
  float Height() override;
  void SetLeft(float twips) override;
  void SetTop(float twips) override;
  void SetWidth(float twips) override;
  void SetHeight(float twips) override;
  void SetWindowPos(std::int32_t insertAfter, std::int32_t x, std::int32_t y, std::int32_t cx,
                    std::int32_t cy, std::uint32_t flags) override;
  std::uintptr_t PichookHandle() override { return 0; }
  // A compositor with fractional scales tells the window its scale only once it is shown, after
  // the screen's whole-number ratio set the start-up value (Qt's screen ratio stays whole): a
  // twip keeps its logical size, so a size saved at one ratio comes back the same at the next.
  double TwipsPerDevicePixel() const override;
  // The compositor places windows in its logical pixels, whatever the window's ratio: a place
  // asked as the window shows (at the screen's whole-number ratio) and one read back later (at
  // the fractional one) count alike, and a stored place is the one X11 shows at that scale.
  double TwipsPerDesktopPixel() const override { return twipsPerLogical_; }

 private:
  // The frame's width and height beyond the client area, in device pixels (the decorations Qt
  // draws itself where the compositor draws none), as last seen.
  QSize FrameMargins();
  // The outer frame's size in device pixels.
  QSize OuterSize();
  void ResizeOuter(int width, int height);
  void StoreOuter(int width, int height);

  MainWindowEvents events_;
  std::function<bool(std::optional<QPointF>)> offer_;
  std::unique_ptr<ViewWidget> widget_;
  QImage canvas_;
  QSize margins_;
  // The outer size last set (else the defined client area decides), and the frame it was fitted
  // to, which it is read back with: Qt 6.11 learns the size of the decorations it draws only
  // some frames after the window shows, and a stored size must come back as it was stored.
  std::optional<QSize> outer_;
  QSize fittedMargins_;
  // Twips per logical pixel, as the start-up value meant them.
  double twipsPerLogical_;
};

}  // namespace vistrel::linux_shell::wayland
