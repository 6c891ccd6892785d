#include "about/frm_about.h"

#include "about/about_layout.h"
#include "app/identity.h"

namespace vistrel {

frmabout::frmabout(platform::Platform& platform)
    : p_(platform), view_(platform.about.Create(*this)) {}

frmabout::~frmabout() = default;

std::string frmabout::CopyrightText(int year) {
  return "Copyright (c) " + std::to_string(year) + " " + std::string(about_layout::kCompany);
}

void frmabout::Form_Load() {
  view_->SetLabelText(AboutControl::lblprogtitle, std::string(identity::kTitle));
  view_->SetLabelText(AboutControl::lblversion, identity::VersionLabel());
  // The year is read at every opening: a dialog opened on New Year's Day shows the new one.
  view_->SetLabelText(AboutControl::lblcopyright, CopyrightText(p_.clock.CurrentYear()));
}

void frmabout::cmdok_Click() {
  view_->Close();
  p_.window.Show();
}

void frmabout::lblurl_Click() {
  p_.window.SetState(platform::WindowState::kMinimized);
  p_.launcher.OpenAddress(view_->Handle(), std::string(about_layout::kHomepage));
  view_->Close();
}

void frmabout::lblurl_MouseMove(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                                float /*y*/) {
  view_->SetLinkPointerFromHand();
}

}  // namespace vistrel
