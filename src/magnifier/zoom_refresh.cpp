// The user's controls over the view: zoom by click or menu, Keep 1/1, and the two refresh
// options that redraw under a still cursor.
#include "app/frm_main.h"
#include "app/mouse_codes.h"

namespace vistrel {
namespace {
constexpr std::int32_t kRefreshHighMs = 50;
constexpr std::int32_t kRefreshAlwaysMs = 1000;
}  // namespace

void frmMain::Form_MouseDown(std::int16_t button, std::int16_t /*shift*/, float /*x*/,
                             float /*y*/) {
  if (button == mouse::kLeftButton) ZoomIn();
  if (button == mouse::kRightButton) ZoomOut();
}

void frmMain::ZoomIn() {
  if (menu_.Checked(MenuItem::menuKeep1to1)) {
    // In 1:1 mode "in" walks back one step toward 1.
    if (ZoomFactor <= kMinZoom) return;
    --ZoomFactor;
  } else {
    if (ZoomFactor >= kMaxZoom) return;
    ++ZoomFactor;
  }
  ForceRedraw();
}

void frmMain::ZoomOut() {
  if (menu_.Checked(MenuItem::menuKeep1to1)) return;
  if (ZoomFactor <= kMinZoom) return;
  --ZoomFactor;
  ForceRedraw();
}

void frmMain::menuZoomIN_Click() {
  ZoomIn();
}
void frmMain::menuZoomOUT_Click() {
  ZoomOut();
}

void frmMain::menuKeep1to1_Click() {
  menu_.SetChecked(MenuItem::menuKeep1to1, !menu_.Checked(MenuItem::menuKeep1to1));
  if (menu_.Checked(MenuItem::menuKeep1to1)) ZoomIn();
}

void frmMain::menuRefreshHigh_Click() {
  menu_.SetChecked(MenuItem::menuRefreshHigh, !menu_.Checked(MenuItem::menuRefreshHigh));
  menu_.SetChecked(MenuItem::menuRefreshAlways, false);
  RefreshOptionChosen();
}

void frmMain::menuRefreshAlways_Click() {
  menu_.SetChecked(MenuItem::menuRefreshAlways, !menu_.Checked(MenuItem::menuRefreshAlways));
  menu_.SetChecked(MenuItem::menuRefreshHigh, false);
  RefreshOptionChosen();
}

// Timer2 idles while neither option is checked; a checked one needs its ticks again, on the
// schedule they kept meanwhile, so that the first refresh comes at the tick it always would have.
void frmMain::RefreshOptionChosen() {
  if (menu_.Checked(MenuItem::menuRefreshAlways) || menu_.Checked(MenuItem::menuRefreshHigh)) {
    p_.timer2.SetIdle(false);
  }
}

// "Refresh Always" is looked at first, so with both marks (from stored settings) the 1000 ms
// refresh governs. A change of option takes effect at the next tick, after the pending period.
void frmMain::Timer2_Timer() {
  if (menu_.Checked(MenuItem::menuRefreshAlways)) {
    p_.timer2.SetInterval(kRefreshAlwaysMs);
    ForceRedraw();
  } else if (menu_.Checked(MenuItem::menuRefreshHigh)) {
    p_.timer2.SetInterval(kRefreshHighMs);
    ForceRedraw();
  } else {
    // Nothing to do until an option is checked: half of an idle program's wake-ups otherwise.
    p_.timer2.SetIdle(true);
  }
}

}  // namespace vistrel
