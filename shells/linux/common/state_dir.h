// The program's per-user state that is not settings: the screen-sharing consent token and the
// mark that the box about a desktop without a tray was shown. Kept in
// $XDG_STATE_HOME/Tarnwell/ (~/.local/state/Tarnwell/ by default). Qt 6.4 has no state location
// in QStandardPaths, hence the variable read here.
#pragma once

#include <QByteArray>
#include <QString>

namespace vistrel::linux_shell {

// The path of the state file name.
QString StateFilePath(const QString& name);
// Replaces the state file name with data as a whole (its folder made when missing); false, with
// the reason in error when given, when it could not.
bool WriteStateFile(const QString& name, const QByteArray& data, QString* error = nullptr);

}  // namespace vistrel::linux_shell
