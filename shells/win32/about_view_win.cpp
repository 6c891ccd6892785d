#include "about_view_win.h"

#include <cmath>
#include <vector>

#include "about/frm_about.h"
#include "app/frm_main.h"
#include "app/twips.h"
#include "gdi_handles.h"
#include "resource_ids.h"

namespace vistrel::win32 {
namespace {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kDialogExStyle = WS_EX_TOOLWINDOW;

std::size_t Index(AboutControl control) {
  return static_cast<std::size_t>(control);
}

void AppendText(std::vector<WORD>& out, std::string_view text) {
  for (char c : text) out.push_back(static_cast<WORD>(static_cast<unsigned char>(c)));
  out.push_back(0);
}

// An empty dialog: the controls are made at WM_INITDIALOG from the twips table, which dialog
// units could not express exactly.
std::vector<WORD> EmptyDialogTemplate() {
  std::vector<WORD> t(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(t.data());
  header->style = kDialogStyle;
  header->dwExtendedStyle = kDialogExStyle;
  header->cdit = 0;
  t.push_back(0);  // no menu
  t.push_back(0);  // the standard dialog class
  AppendText(t, about_layout::kCaption);
  t.push_back(static_cast<WORD>(about_layout::kDialogFont.points));
  AppendText(t, about_layout::kDialogFont.name);
  return t;
}

// The calling thread system-DPI aware while this lives, then as it was. Windows has per-thread
// awareness from 10, version 1607; before that the process's awareness holds and this does
// nothing.
class SystemDpiAwareThread {
 public:
  SystemDpiAwareThread() {
    if (const HMODULE user32 = GetModuleHandleA("user32.dll")) {
      set_ = reinterpret_cast<SetContext>(
          reinterpret_cast<void*>(GetProcAddress(user32, "SetThreadDpiAwarenessContext")));
    }
    if (set_) previous_ = set_(DPI_AWARENESS_CONTEXT_SYSTEM_AWARE);
  }
  ~SystemDpiAwareThread() {
    if (previous_) set_(previous_);
  }
  SystemDpiAwareThread(const SystemDpiAwareThread&) = delete;
  SystemDpiAwareThread& operator=(const SystemDpiAwareThread&) = delete;

 private:
  using SetContext = DPI_AWARENESS_CONTEXT(WINAPI*)(DPI_AWARENESS_CONTEXT);
  SetContext set_ = nullptr;
  DPI_AWARENESS_CONTEXT previous_ = nullptr;
};

COLORREF ToColorRef(std::uint32_t colour) {
  // 0x800000nn names the system colour nn; anything else is already 0x00BBGGRR.
  if (colour & 0x80000000u) return GetSysColor(static_cast<int>(colour & 0xFFu));
  return static_cast<COLORREF>(colour);
}

}  // namespace

WinAboutView::WinAboutView(HINSTANCE instance, HWND owner, double twipsPerPixel, frmMain* form,
                           frmabout& handlers)
    : instance_(instance),
      owner_(owner),
      twipsPerPixel_(twipsPerPixel),
      form_(form),
      handlers_(handlers) {
  for (const AboutControlDefinition& def : about_layout::kControls) {
    texts_[Index(def.id)] = std::string(def.text);
  }
  hand_ = LoadCursorA(instance_, MAKEINTRESOURCEA(IDC_VISTREL_HAND));
  if (!hand_) hand_ = LoadCursorA(nullptr, MAKEINTRESOURCEA(32649));  // IDC_HAND
}

WinAboutView::~WinAboutView() {
  // Before the fonts go: the controls use them until then.
  if (hwnd_) DestroyWindow(hwnd_);
}

int WinAboutView::Px(double twips) const {
  return TwipsToPixels(twips, twipsPerPixel_);
}

void WinAboutView::Deliver(const std::function<void()>& handler) {
  if (form_) {
    form_->Dispatch(handler);
  } else {
    handler();
  }
}

bool WinAboutView::Visible() {
  return hwnd_ && IsWindowVisible(hwnd_);
}

void WinAboutView::ShowModal() {
  const std::vector<WORD> dialog = EmptyDialogTemplate();
  // The dialog and its controls are laid out in system-DPI pixels. Created system aware, the
  // dialog is stretched by Windows on a monitor of another DPI, where a per-monitor aware one
  // would keep its system-DPI size. A window keeps the awareness it was created with, and
  // Windows switches the thread to it for each window procedure, so the main window's messages
  // handled while the dialog is open stay per-monitor aware.
  const SystemDpiAwareThread systemAware;
  DialogBoxIndirectParamA(instance_, reinterpret_cast<const DLGTEMPLATE*>(dialog.data()), owner_,
                          Proc, reinterpret_cast<LPARAM>(this));
  hwnd_ = nullptr;
}

void WinAboutView::Close() {
  if (hwnd_) EndDialog(hwnd_, 0);
}

void WinAboutView::SetLabelText(AboutControl control, const std::string& text) {
  texts_[Index(control)] = text;
  if (HWND label = controls_[Index(control)]) {
    SetWindowTextA(label, text.c_str());
    FitLabel(control);
  }
}

void WinAboutView::SetLinkPointerFromHand() {
  linkPointer_ = hand_;
  SetCursor(linkPointer_);
}

INT_PTR CALLBACK WinAboutView::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_INITDIALOG) {
    auto* self = reinterpret_cast<WinAboutView*>(lParam);
    SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  }
  auto* self = reinterpret_cast<WinAboutView*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  if (!self) return FALSE;
  return self->OnMessage(msg, wParam, lParam);
}

void WinAboutView::CreateControls() {
  // Client 3300 x 4395 twips, centred over the owner (over the screen when the owner is
  // minimised).
  RECT frame{0, 0, Px(about_layout::kClientWidthTwips), Px(about_layout::kClientHeightTwips)};
  AdjustWindowRectEx(&frame, kDialogStyle & ~DS_SETFONT, FALSE, kDialogExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner_ && !IsIconic(owner_)) GetWindowRect(owner_, &over);
  const int x = over.left + ((over.right - over.left) - width) / 2;
  const int y = over.top + ((over.bottom - over.top) - height) / 2;
  SetWindowPos(hwnd_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  const int dpi = GetDeviceCaps(WindowDc(hwnd_).get(), LOGPIXELSY);
  for (const AboutControlDefinition& def : about_layout::kControls) {
    if (def.kind == ControlKind::kLine || def.kind == ControlKind::kImage) continue;
    const std::size_t i = Index(def.id);
    const FontDefinition& f = def.font.name.empty() ? about_layout::kDialogFont : def.font;
    const std::string face(f.name);
    fonts_[i] = GdiObject<HFONT>(CreateFontA(
        -static_cast<int>(std::lround(f.points * dpi / 72.0)), 0, 0, 0,
        f.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face.c_str()));
    const bool button = def.kind == ControlKind::kButton;
    DWORD style = WS_CHILD | WS_VISIBLE;
    // A label that does not wrap keeps its text on one line, cut at its right edge.
    const DWORD label = (def.wraps ? SS_LEFT : SS_LEFTNOWORDWRAP) | SS_NOPREFIX;
    style |= button ? (BS_PUSHBUTTON | WS_TABSTOP) : label;
    if (def.id == AboutControl::lblurl) style |= SS_NOTIFY;
    controls_[i] = CreateWindowExA(
        0, button ? "BUTTON" : "STATIC", texts_[i].c_str(), style, Px(def.box.left),
        Px(def.box.top), Px(def.box.width), Px(def.box.height), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kAboutControlIdBase + static_cast<int>(i))),
        instance_, nullptr);
    SendMessageA(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[i].get()), FALSE);
    FitLabel(def.id);
  }
}

void WinAboutView::FitLabel(AboutControl control) {
  const AboutControlDefinition& def = about_layout::Control(control);
  HWND label = controls_[Index(control)];
  if (!label || !def.fitsText) return;
  RECT r{0, 0, Px(def.box.width), 0};
  {
    const WindowDc dc(label);
    const Selection font(dc.get(), fonts_[Index(control)].get());
    const std::string& text = texts_[Index(control)];
    // A wrapping label keeps its width and grows downward; the others take their text's size.
    UINT format = DT_CALCRECT | DT_NOPREFIX | (def.wraps ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc.get(), text.c_str(), static_cast<int>(text.size()), &r, format);
  }
  const int width = def.wraps ? Px(def.box.width) : r.right - r.left;
  SetWindowPos(label, nullptr, 0, 0, width, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinAboutView::Paint() {
  const PaintDc dc(hwnd_);
  // In the table's order, so that a later line lies over an earlier one.
  for (const AboutControlDefinition& def : about_layout::kControls) {
    if (def.kind != ControlKind::kLine) continue;
    const GdiObject<HPEN> pen(CreatePen(PS_SOLID, def.lineWidthPixels, ToColorRef(def.colour)));
    const Selection selected(dc.get(), pen.get());
    MoveToEx(dc.get(), Px(def.segment.x1), Px(def.segment.y1), nullptr);
    LineTo(dc.get(), Px(def.segment.x2), Px(def.segment.y2));
  }
}

INT_PTR WinAboutView::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  const HWND ok = controls_[Index(AboutControl::cmdok)];
  const HWND link = controls_[Index(AboutControl::lblurl)];
  switch (msg) {
    case WM_INITDIALOG:
      CreateControls();
      // OK is first in the tab order and takes the focus; it is not the default button.
      SetFocus(ok);
      return FALSE;
    case WM_PAINT:
      Paint();
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == link) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ToColorRef(about_layout::Control(AboutControl::lblurl).colour));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wParam) == link && LOWORD(lParam) == HTCLIENT) {
        Deliver([&] { handlers_.lblurl_MouseMove(0, 0, 0, 0); });
        SetCursor(linkPointer_ ? linkPointer_ : LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)));
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND: {
      const HWND from = reinterpret_cast<HWND>(lParam);
      const int code = HIWORD(wParam);
      if (from == ok && code == BN_CLICKED) {
        Deliver([&] { handlers_.cmdok_Click(); });
        return TRUE;
      }
      // Enter with no default button asks for IDOK: it presses OK only because OK has the
      // focus. Escape (IDCANCEL) is bound to nothing.
      if (LOWORD(wParam) == IDOK && GetFocus() == ok) {
        Deliver([&] { handlers_.cmdok_Click(); });
        return TRUE;
      }
      if (from == link && code == STN_CLICKED) {
        Deliver([&] { handlers_.lblurl_Click(); });
        return TRUE;
      }
      return TRUE;
    }
    case WM_CLOSE:
      // The frame's close button: the dialog goes without the OK button's handling.
      EndDialog(hwnd_, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

std::unique_ptr<platform::AboutView> WinAboutViewFactory::Create(frmabout& handlers) {
  return std::make_unique<WinAboutView>(instance_, owner_, twipsPerPixel_, form_, handlers);
}

}  // namespace vistrel::win32
