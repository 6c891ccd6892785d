#include "common/state_dir.h"

#include <QDir>

namespace vistrel::linux_shell {

QString StateFilePath(const QString& name) {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || !QDir::isAbsolutePath(state)) state = QDir::homePath() + "/.local/state";
  return state + "/Tarnwell/" + name;
}

}  // namespace vistrel::linux_shell
