// The About dialog as a Win32 dialog: an empty in-memory template (tool-window frame, "MS Sans
// Serif") filled at WM_INITDIALOG with one control per row of about/about_layout.h at its twips
// geometry, the lines painted in their colours, and the hand pointer over the link.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "about/about_layout.h"
#include "gdi_handles.h"
#include "platform/about_view.h"
#include "win32_api.h"

namespace vistrel {
class frmMain;
}

namespace vistrel::win32 {

// Command number of a control: its row in the layout table plus this.
inline constexpr int kAboutControlIdBase = 1000;

class WinAboutView : public platform::AboutView {
 public:
  WinAboutView(HINSTANCE instance, HWND owner, double twipsPerPixel, frmMain* form,
               frmabout& handlers);
  ~WinAboutView() override;

  bool Visible() override;
  void ShowModal() override;
  void Close() override;
  void SetLabelText(AboutControl control, const std::string& text) override;
  void SetLinkPointerFromHand() override;
  std::uintptr_t Handle() override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

 private:
  static INT_PTR CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Deliver(const std::function<void()>& handler);
  void CreateControls();
  void FitLabel(AboutControl control);
  void Paint();
  int Px(double twips) const;

  HINSTANCE instance_;
  HWND owner_;
  double twipsPerPixel_;
  frmMain* form_;
  frmabout& handlers_;
  HWND hwnd_ = nullptr;
  std::array<HWND, about_layout::kControls.size()> controls_{};
  std::array<GdiObject<HFONT>, about_layout::kControls.size()> fonts_{};
  std::array<std::string, about_layout::kControls.size()> texts_{};
  HCURSOR hand_ = nullptr;
  HCURSOR linkPointer_ = nullptr;
};

class WinAboutViewFactory : public platform::AboutViewFactory {
 public:
  WinAboutViewFactory(HINSTANCE instance, double twipsPerPixel)
      : instance_(instance), twipsPerPixel_(twipsPerPixel) {}
  void Attach(frmMain& form, HWND owner) {
    form_ = &form;
    owner_ = owner;
  }
  std::unique_ptr<platform::AboutView> Create(frmabout& handlers) override;

 private:
  HINSTANCE instance_;
  double twipsPerPixel_;
  frmMain* form_ = nullptr;
  HWND owner_ = nullptr;
};

}  // namespace vistrel::win32
