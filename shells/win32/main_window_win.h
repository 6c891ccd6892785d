// The main window and its hidden tray-hook child as Win32 windows: built from the core's window
// definition, they turn window messages into calls of frmMain's handlers (each through
// Dispatch) and carry out what the core asks of the window.
#pragma once

#include <functional>
#include <optional>

#include "app/frm_main.h"
#include "app/mouse_codes.h"
#include "platform/main_window.h"
#include "screen_win.h"
#include "timer_win.h"
#include "win32_api.h"

namespace vistrel::win32 {

inline constexpr UINT_PTR kTimer1Id = 1;
inline constexpr UINT_PTR kTimer2Id = 2;
inline constexpr int kHotKey1Id = 1;
inline constexpr int kHotKey2Id = 2;

inline constexpr const char* kMainWindowClass = "VistrelMagnifier";
inline constexpr const char* kPichookClass = "VistrelPichook";

class WinMainWindow : public platform::MainWindow {
 public:
  WinMainWindow(HINSTANCE instance, double twipsPerPixel);
  ~WinMainWindow() override;

  // Events reach this form from Create() on; the screen repaints an uncovered part of the view.
  void Attach(frmMain& form, WinScreen& screen) {
    form_ = &form;
    screen_ = &screen;
  }
  // Creates the hidden main window at its designed place and size, and pichook inside it.
  void Create();
  HWND Hwnd() const { return hwnd_; }
  HDC WindowDc() const { return dc_; }
  WinTimer& Timer1() { return timer1_; }
  WinTimer& Timer2() { return timer2_; }

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

 private:
  static LRESULT CALLBACK MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PichookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnMainMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Deliver(const std::function<void()>& handler);
  // The outer frame in pixels: the normal position while minimised, so that a close while
  // minimised stores where the window will come back, not the parking place of its icon.
  RECT FrameRect();
  void MoveFrame(const RECT& frame);
  // Sets the frame's start edge (position: the size stays) or its extent (the start stays).
  void SetEdge(LONG RECT::*start, LONG RECT::*end, float twips, bool position);
  void MouseDown(bool mouse::State::*pressed, WPARAM wParam, LPARAM lParam);
  // Where Windows proposes a frame for a new DPI (WM_DPICHANGED).
  void DpiChanged(const RECT& proposed);

  HINSTANCE instance_;
  double twipsPerPixel_;
  HWND hwnd_ = nullptr;
  HWND pichook_ = nullptr;
  HDC dc_ = nullptr;
  HICON icon_ = nullptr;
  UINT taskbarCreated_ = 0;
  // True while the program itself moves or sizes the frame.
  bool placing_ = false;
  frmMain* form_ = nullptr;
  WinScreen* screen_ = nullptr;
  WinTimer timer1_;
  WinTimer timer2_;
};

}  // namespace vistrel::win32
