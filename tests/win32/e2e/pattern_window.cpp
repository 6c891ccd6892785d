#include "pattern_window.h"

#include "driver.h"

namespace e2e {
namespace {

std::uint32_t g_squareColour = kBlack;

COLORREF Ref(std::uint32_t rgb) {
  return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

void Fill(HDC dc, int l, int t, int r, int b, std::uint32_t rgb) {
  HBRUSH brush = CreateSolidBrush(Ref(rgb));
  RECT rect{l, t, r, b};
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

}  // namespace

PatternWindow::PatternWindow() {
  left_ = GetSystemMetrics(SM_XVIRTUALSCREEN);
  top_ = GetSystemMetrics(SM_YVIRTUALSCREEN);
  width_ = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  height_ = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  WNDCLASSA cls{};
  cls.lpfnWndProc = Proc;
  cls.hInstance = GetModuleHandleA(nullptr);
  cls.lpszClassName = "VistrelTestPattern";
  cls.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
  RegisterClassA(&cls);
  // Never activated, so that it neither takes keys nor rises above the program under test.
  hwnd_ = CreateWindowExA(WS_EX_NOACTIVATE, cls.lpszClassName, "pattern", WS_POPUP, left_, top_,
                          width_, height_, nullptr, nullptr, cls.hInstance, nullptr);
  SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  UpdateWindow(hwnd_);
  // The screen shows it once a pixel in the square reads black.
  WaitFor([&] { return CentreShows(kBlack); });
}

bool PatternWindow::CentreShows(std::uint32_t rgb) const {
  HDC screen = GetDC(nullptr);
  const POINT centre = Centre();
  const COLORREF c = GetPixel(screen, centre.x, centre.y);
  ReleaseDC(nullptr, screen);
  return c == Ref(rgb);
}

PatternWindow::~PatternWindow() {
  DestroyWindow(hwnd_);
}

void PatternWindow::SetSquareColour(std::uint32_t rgb) {
  g_squareColour = rgb;
  InvalidateRect(hwnd_, nullptr, FALSE);
  UpdateWindow(hwnd_);
  WaitFor([&] { return CentreShows(rgb); });
}

LRESULT CALLBACK PatternWindow::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    Fill(dc, 0, 0, r.right, r.bottom, kWhite);
    Fill(dc, 0, 0, kBand, r.bottom, kRed);
    Fill(dc, r.right - kBand, 0, r.right, r.bottom, kBlue);
    Fill(dc, 0, 0, r.right, kBand, kGreen);
    Fill(dc, 0, r.bottom - kBand, r.right, r.bottom, kYellow);
    const int cx = r.right / 2;
    const int cy = r.bottom / 2;
    Fill(dc, cx - kSquareSize / 2, cy - kSquareSize / 2, cx + kSquareSize / 2, cy + kSquareSize / 2,
         g_squareColour);
    EndPaint(hwnd, &ps);
    return 0;
  }
  if (msg == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
  return DefWindowProcA(hwnd, msg, wParam, lParam);
}

}  // namespace e2e
