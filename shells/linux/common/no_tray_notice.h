// A desktop without a tray (GNOME as installed, a bare window manager) gives the program no icon,
// which is where its menu lives. The first start of each user there says in a box how to reach
// the menu; the mark that it was said is kept in the state directory (common/state_dir.h), so
// later starts say it on standard error only.
#pragma once

#include <string>

namespace vistrel::linux_shell {

// True at this user's first start without a tray, and the mark is made. A mark that can not be
// written only brings the box again at the next start.
bool FirstStartWithoutTray();
// busControl: the session-bus methods are there (a second start and readme.txt's commands work).
std::string NoTrayNoticeText(bool busControl);

}  // namespace vistrel::linux_shell
