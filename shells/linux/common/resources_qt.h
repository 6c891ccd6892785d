// The pictures compiled into the program: the magnifier icon (window and tray) and the hand
// pointer of the About dialog's link, with the hot spot its picture defines.
#pragma once

#include <QCursor>
#include <QIcon>

namespace vistrel::linux_shell::resources {

const QIcon& MagnifierIcon();
QCursor HandCursor();

}  // namespace vistrel::linux_shell::resources
