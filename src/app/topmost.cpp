// The "Always on Top" command: its check mark is the only record of the state.
#include "app/topmost.h"

#include "app/frm_main.h"

namespace vistrel {

void frmMain::menuOnTop_Click() {
  Topmost::MakeTopmost(p_.window, !menu_.Checked(MenuItem::menuOnTop));
  menu_.SetChecked(MenuItem::menuOnTop, !menu_.Checked(MenuItem::menuOnTop));
}

}  // namespace vistrel
