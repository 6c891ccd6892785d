// The Help command: readme.txt beside the executable, opened in the platform's text viewer, or
// the "Info" box when it can not be read.
#include "app/frm_main.h"
#include "app/identity.h"

namespace vistrel {

std::string frmMain::HelpFilePath() {
  // Joined as they come, so at a drive root the separator appears twice.
  return p_.runtime.AppPath() + p_.runtime.PathSeparator() + "readme.txt";
}

bool frmMain::fileexists(const std::string& Path) {
  return p_.runtime.CanOpenForReading(Path);
}

void frmMain::menuHelp_Click() {
  const std::string path = HelpFilePath();
  if (!fileexists(path)) {
    p_.messages.Show(
        {"The Vistrel readme.txt seems to be missing...", platform::kExclamation, "Info"});
    return;
  }
  if (!p_.launcher.OpenTextFile(path)) TextViewerFailed(path);
}

void frmMain::TextViewerFailed(const std::string& path) {
  // The help file is there but no viewer shows it: say so rather than do nothing.
  p_.messages.Show({"The text viewer could not be started to show\r\n" + path,
                    platform::kExclamation, std::string(identity::kTitle)});
}

}  // namespace vistrel
