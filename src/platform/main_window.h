// The main window as the core drives it: visibility, state, outer geometry in twips, client size
// in pixels, the stacking call, and the popup menu. The shell builds the window from
// app/main_window_definition.h and reports its events to frmMain.
#pragma once

#include <cstdint>
#include <optional>

#include "app/menu.h"

namespace vistrel::platform {

enum class WindowState { kNormal = 0, kMinimized = 1 };

class MainWindow {
 public:
  virtual ~MainWindow() = default;

  virtual bool Visible() = 0;
  // Shows the window modeless and without an owner; a visible window is left alone.
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual WindowState State() = 0;
  virtual void SetState(WindowState state) = 0;

  // Outer frame, twips, relative to the screen (single precision, as stored in the settings).
  virtual float Left() = 0;
  virtual float Top() = 0;
  virtual float Width() = 0;
  virtual float Height() = 0;
  virtual void SetLeft(float twips) = 0;
  virtual void SetTop(float twips) = 0;
  virtual void SetWidth(float twips) = 0;
  virtual void SetHeight(float twips) = 0;

  // Client area in pixels.
  virtual double ClientWidth() = 0;
  virtual double ClientHeight() = 0;

  // The stacking call: insertAfter is Topmost::kHwndTopmost or kHwndNoTopmost; the core always
  // passes position and size 0 with the flags "no move, no size".
  virtual void SetWindowPos(std::int32_t insertAfter, std::int32_t x, std::int32_t y,
                            std::int32_t cx, std::int32_t cy, std::uint32_t flags) = 0;

  // Shows the popup menu at the mouse position, built from the menu's definition and its current
  // check marks and enabled states; returns the chosen command once the menu has closed.
  virtual std::optional<MenuItem> PopupMenu(const MenuState& menu) = 0;

  // Native handles the tray record carries: the tray-hook window and the window's icon.
  virtual std::uintptr_t PichookHandle() = 0;
  virtual std::uintptr_t IconHandle() = 0;
};

}  // namespace vistrel::platform
