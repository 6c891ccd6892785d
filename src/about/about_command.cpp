// The About command: the dialog opens modal over the program, once at a time; a topmost main
// window is hidden first so that it does not cover the dialog.
#include "app/frm_main.h"

namespace vistrel {

void frmMain::menuAbout_Click() {
  if (p_.window.State() == platform::WindowState::kMinimized) {
    p_.window.SetState(platform::WindowState::kNormal);
  }
  if (menu_.Checked(MenuItem::menuOnTop)) p_.window.Hide();
  if (!about_) {
    about_ = std::make_unique<frmabout>(p_);
    about_->Form_Load();
  }
  if (about_->View().Visible()) return;
  about_->View().ShowModal();
  about_.reset();
}

}  // namespace vistrel
