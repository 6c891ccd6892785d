#include "main_window_win.h"

#include <windowsx.h>

#include <cmath>

#include "app/main_window_definition.h"
#include "app/menu.h"
#include "app/twips.h"
#include "resource_ids.h"

namespace vistrel::win32 {
namespace {

namespace def = main_window_definition;

constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
constexpr DWORD kMainExStyle = WS_EX_TOOLWINDOW;
// Menu command numbers: the item's place in the popup table plus one (0 means "none chosen").
constexpr UINT kFirstMenuCommand = 1;

WinMainWindow* FromHwnd(HWND hwnd) {
  return reinterpret_cast<WinMainWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// A mouse message carries Shift and Ctrl among its flags but not Alt, which the keyboard's state
// at that message tells.
mouse::State ModifiersOf(WPARAM wParam) {
  mouse::State state;
  state.shift = (wParam & MK_SHIFT) != 0;
  state.ctrl = (wParam & MK_CONTROL) != 0;
  state.alt = GetKeyState(VK_MENU) < 0;
  return state;
}

}  // namespace

WinMainWindow::WinMainWindow(HINSTANCE instance, double twipsPerPixel)
    : instance_(instance),
      twipsPerPixel_(twipsPerPixel),
      timer1_(kTimer1Id, def::kTimer1.intervalMs, def::kTimer1.enabled),
      timer2_(kTimer2Id, def::kTimer2.intervalMs, def::kTimer2.enabled) {}

WinMainWindow::~WinMainWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void WinMainWindow::Create() {
  icon_ = LoadIconA(instance_, MAKEINTRESOURCEA(IDI_VISTREL_MAGNIFIER));
  if (!icon_) icon_ = LoadIconA(nullptr, MAKEINTRESOURCEA(32512));  // IDI_APPLICATION

  WNDCLASSEXA main{};
  main.cbSize = sizeof main;
  // CS_OWNDC: the window keeps one device context for its life, the surface every drawing tick
  // stretches onto, so a tick allocates nothing.
  main.style = CS_OWNDC;
  main.lpfnWndProc = MainProc;
  main.hInstance = instance_;
  main.hIcon = icon_;
  main.hIconSm = icon_;
  main.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kMainWindowClass;
  RegisterClassExA(&main);

  WNDCLASSEXA hook{};
  hook.cbSize = sizeof hook;
  hook.lpfnWndProc = PichookProc;
  hook.hInstance = instance_;
  hook.lpszClassName = kPichookClass;
  RegisterClassExA(&hook);

  RECT frame{TwipsToPixels(def::kClientLeftTwips, twipsPerPixel_),
             TwipsToPixels(def::kClientTopTwips, twipsPerPixel_), 0, 0};
  frame.right = frame.left + TwipsToPixels(def::kClientWidthTwips, twipsPerPixel_);
  frame.bottom = frame.top + TwipsToPixels(def::kClientHeightTwips, twipsPerPixel_);
  AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);

  taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
  const std::string caption(def::kCaption);
  hwnd_ = CreateWindowExA(kMainExStyle, kMainWindowClass, caption.c_str(), kMainStyle, frame.left,
                          frame.top, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                          nullptr, instance_, this);
  dc_ = GetDC(hwnd_);
  // The icon as the window's own, not only its class's, so that others can ask for it.
  SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
  SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
  const std::string hookName(def::kPichookName);
  pichook_ = CreateWindowExA(0, kPichookClass, hookName.c_str(), WS_CHILD, 0, 0, 0, 0, hwnd_,
                             nullptr, instance_, this);
  timer1_.Attach(hwnd_);
  timer2_.Attach(hwnd_);
}

void WinMainWindow::Deliver(const std::function<void()>& handler) {
  if (form_) form_->Dispatch(handler);
}

LRESULT CALLBACK WinMainWindow::MainProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<WinMainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  WinMainWindow* self = FromHwnd(hwnd);
  if (!self) return DefWindowProcA(hwnd, msg, wParam, lParam);
  return self->OnMainMessage(msg, wParam, lParam);
}

LRESULT WinMainWindow::OnMainMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_TIMER:
      if (wParam == kTimer1Id) {
        if (timer1_.Enabled()) Deliver([&] { form_->Timer1_Timer(); });
        timer1_.AfterTick();
        return 0;
      }
      if (wParam == kTimer2Id) {
        if (timer2_.Enabled()) Deliver([&] { form_->Timer2_Timer(); });
        timer2_.AfterTick();
        return 0;
      }
      break;
    case WM_SIZE:
      Deliver([&] { form_->Form_Resize(); });
      return 0;
    case WM_SETFOCUS:
      Deliver([&] { form_->Form_GotFocus(); });
      return 0;
    case WM_LBUTTONDOWN:
      MouseDown(&mouse::State::left, wParam, lParam);
      return 0;
    case WM_RBUTTONDOWN:
      MouseDown(&mouse::State::right, wParam, lParam);
      return 0;
    case WM_MBUTTONDOWN:
      MouseDown(&mouse::State::middle, wParam, lParam);
      return 0;
    case WM_HOTKEY:
      if (wParam == kHotKey1Id) Deliver([&] { form_->VBHotKey1_HotKey(); });
      if (wParam == kHotKey2Id) Deliver([&] { form_->VBHotKey2_HotKey(); });
      return 0;
    case WM_CLOSE:
      // Also how the installer and uninstaller close a running copy (a posted WM_CLOSE to this
      // class): the same close as Exit, so the settings are saved.
      Deliver([&] { form_->Unload(UnloadMode::kFormControlMenu); });
      return 0;
    case WM_QUERYENDSESSION:
      // The close is never refused; the settings are saved once the session really ends.
      return TRUE;
    case WM_ENDSESSION:
      if (wParam) Deliver([&] { form_->Unload(UnloadMode::kAppWindows); });
      return 0;
    case WM_DPICHANGED:
      DpiChanged(*reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_ERASEBKGND:
      // Once there is a picture, an uncovered part gets the picture back, not the background.
      if (screen_ && screen_->HasPicture()) return 1;
      break;
    case WM_PAINT: {
      // The capture tick decides what the view shows; an uncovered part is filled by repeating
      // its last copy (the clip of BeginPaint keeps the rest as it is).
      PAINTSTRUCT ps;
      BeginPaint(hwnd_, &ps);
      if (screen_) screen_->Repaint();
      EndPaint(hwnd_, &ps);
      return 0;
    }
    default:
      if (taskbarCreated_ != 0 && msg == taskbarCreated_) {
        Deliver([&] { form_->ReAddTrayIcon(); });
        return 0;
      }
      break;
  }
  return DefWindowProcA(hwnd_, msg, wParam, lParam);
}

void WinMainWindow::DpiChanged(const RECT& proposed) {
  // Dragged onto a monitor of another DPI, the window takes Windows' proposal (its size scaled
  // by the ratio of the DPIs), so that it stays usable there; the resize that follows forces a
  // redraw at the new client size. A move the program makes itself (restoring the stored
  // geometry) keeps exactly the pixels it asked for, so a close and a start put the window back
  // where it was.
  if (placing_) return;
  ::SetWindowPos(hwnd_, nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinMainWindow::MouseDown(bool mouse::State::*pressed, WPARAM wParam, LPARAM lParam) {
  // The client area's scale unit is the pixel.
  const float x = static_cast<float>(GET_X_LPARAM(lParam));
  const float y = static_cast<float>(GET_Y_LPARAM(lParam));
  mouse::State state = ModifiersOf(wParam);
  state.*pressed = true;
  const mouse::Codes codes = mouse::Encode(state);
  Deliver([&] { form_->Form_MouseDown(codes.button, codes.shift, x, y); });
}

LRESULT CALLBACK WinMainWindow::PichookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<WinMainWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  WinMainWindow* self = FromHwnd(hwnd);
  if (self && msg == def::kTrayCallbackMessage) {
    // The tray sends the mouse message number where a mouse move carries its x position; the
    // picture box reports that position in its own unit, the twip.
    const float x = PixelsToTwips(GET_X_LPARAM(lParam), self->twipsPerPixel_);
    const float y = PixelsToTwips(GET_Y_LPARAM(lParam), self->twipsPerPixel_);
    mouse::State state = ModifiersOf(wParam);
    state.left = (wParam & MK_LBUTTON) != 0;
    state.right = (wParam & MK_RBUTTON) != 0;
    const mouse::Codes codes = mouse::Encode(state);
    self->Deliver([&] { self->form_->pichook_MouseMove(codes.button, codes.shift, x, y); });
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

bool WinMainWindow::Visible() {
  return IsWindowVisible(hwnd_) != FALSE;
}

void WinMainWindow::Show() {
  if (!Visible()) ShowWindow(hwnd_, SW_SHOW);
}

void WinMainWindow::Hide() {
  ShowWindow(hwnd_, SW_HIDE);
}

platform::WindowState WinMainWindow::State() {
  return IsIconic(hwnd_) ? platform::WindowState::kMinimized : platform::WindowState::kNormal;
}

void WinMainWindow::SetState(platform::WindowState state) {
  const bool visible = Visible();
  if (state == platform::WindowState::kMinimized) {
    if (IsIconic(hwnd_)) return;
    ShowWindow(hwnd_, visible ? SW_MINIMIZE : SW_SHOWMINNOACTIVE);
  } else {
    if (!IsIconic(hwnd_)) return;
    ShowWindow(hwnd_, visible ? SW_RESTORE : SW_SHOWNOACTIVATE);
  }
  // A hidden window changes its state but stays hidden until it is shown.
  if (!visible) ShowWindow(hwnd_, SW_HIDE);
}

RECT WinMainWindow::FrameRect() {
  RECT frame{};
  if (IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    // Tool windows keep their placement in screen coordinates.
    return placement.rcNormalPosition;
  }
  GetWindowRect(hwnd_, &frame);
  return frame;
}

void WinMainWindow::MoveFrame(const RECT& frame) {
  placing_ = true;
  struct Placed {
    bool& flag;
    ~Placed() { flag = false; }
  } placed{placing_};
  if (IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(hwnd_, &placement);
    placement.rcNormalPosition = frame;
    placement.showCmd = Visible() ? SW_SHOWMINNOACTIVE : SW_HIDE;
    SetWindowPlacement(hwnd_, &placement);
    return;
  }
  ::SetWindowPos(hwnd_, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

float WinMainWindow::Left() {
  return PixelsToTwips(FrameRect().left, twipsPerPixel_);
}
float WinMainWindow::Top() {
  return PixelsToTwips(FrameRect().top, twipsPerPixel_);
}
float WinMainWindow::Width() {
  const RECT r = FrameRect();
  return PixelsToTwips(r.right - r.left, twipsPerPixel_);
}
float WinMainWindow::Height() {
  const RECT r = FrameRect();
  return PixelsToTwips(r.bottom - r.top, twipsPerPixel_);
}

void WinMainWindow::SetEdge(LONG RECT::*start, LONG RECT::*end, float twips, bool position) {
  RECT r = FrameRect();
  const LONG pixels = TwipsToPixels(twips, twipsPerPixel_);
  if (position) {
    // A new position keeps the size.
    const LONG size = r.*end - r.*start;
    r.*start = pixels;
    r.*end = pixels + size;
  } else {
    r.*end = r.*start + pixels;
  }
  MoveFrame(r);
}

void WinMainWindow::SetLeft(float twips) {
  SetEdge(&RECT::left, &RECT::right, twips, true);
}
void WinMainWindow::SetTop(float twips) {
  SetEdge(&RECT::top, &RECT::bottom, twips, true);
}
void WinMainWindow::SetWidth(float twips) {
  SetEdge(&RECT::left, &RECT::right, twips, false);
}
void WinMainWindow::SetHeight(float twips) {
  SetEdge(&RECT::top, &RECT::bottom, twips, false);
}

double WinMainWindow::ClientWidth() {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r.right - r.left;
}

double WinMainWindow::ClientHeight() {
  RECT r{};
  GetClientRect(hwnd_, &r);
  return r.bottom - r.top;
}

void WinMainWindow::SetWindowPos(std::int32_t insertAfter, std::int32_t x, std::int32_t y,
                                 std::int32_t cx, std::int32_t cy, std::uint32_t flags) {
  // HWND_TOPMOST and HWND_NOTOPMOST are -1 and -2, sign-extended to a handle.
  const HWND after = reinterpret_cast<HWND>(static_cast<INT_PTR>(insertAfter));
  ::SetWindowPos(hwnd_, after, x, y, cx, cy, flags);
}

std::optional<MenuItem> WinMainWindow::PopupMenu(const MenuState& state) {
  HMENU menu = CreatePopupMenu();
  for (std::size_t i = 0; i < menuProject.submenu.size(); ++i) {
    const MenuItemDefinition& item = menuProject.submenu[i];
    if (item.IsSeparator()) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    UINT flags = MF_STRING;
    if (state.Checked(item.item)) flags |= MF_CHECKED;
    if (!state.Enabled(item.item)) flags |= MF_GRAYED;
    const std::string caption(item.caption);
    AppendMenuA(menu, flags, kFirstMenuCommand + i, caption.c_str());
  }
  POINT at{};
  GetCursorPos(&at);
  // Without being the foreground window first, the menu takes no keys and does not close when
  // the user clicks elsewhere; the posted message afterwards lets it close properly.
  SetForegroundWindow(hwnd_);
  const UINT chosen = static_cast<UINT>(
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr));
  PostMessageA(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(menu);
  if (chosen < kFirstMenuCommand || chosen >= kFirstMenuCommand + menuProject.submenu.size()) {
    return std::nullopt;
  }
  return menuProject.submenu[chosen - kFirstMenuCommand].item;
}

std::uintptr_t WinMainWindow::PichookHandle() {
  return reinterpret_cast<std::uintptr_t>(pichook_);
}

std::uintptr_t WinMainWindow::IconHandle() {
  return reinterpret_cast<std::uintptr_t>(icon_);
}

}  // namespace vistrel::win32
