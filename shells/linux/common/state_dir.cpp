#include "common/state_dir.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace vistrel::linux_shell {

QString StateFilePath(const QString& name) {
  QString state = qEnvironmentVariable("XDG_STATE_HOME");
  if (state.isEmpty() || !QDir::isAbsolutePath(state)) state = QDir::homePath() + "/.local/state";
  return state + "/Tarnwell/" + name;
}

bool WriteStateFile(const QString& name, const QByteArray& data, QString* error) {
  const QString path = StateFilePath(name);
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit()) {
    return true;
  }
  if (error) *error = file.errorString();
  return false;
}

}  // namespace vistrel::linux_shell
