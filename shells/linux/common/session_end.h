// The end of the desktop session and termination signals: the session manager's quit, Qt's
// application quit, and SIGTERM / SIGINT / SIGHUP all call one function on the UI thread, so
// that the settings are saved however the program is asked to stop.
#pragma once

#include <functional>

namespace vistrel::linux_shell {

void OnSessionEnd(std::function<void()> close);

}  // namespace vistrel::linux_shell
