#include "common/launcher_xdg.h"

#include <QProcess>

namespace vistrel::linux_shell {

bool XdgLauncher::OpenTextFile(const std::string& path) {
  return QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(path)});
}

void XdgLauncher::OpenAddress(std::uintptr_t /*owner*/, const std::string& address) {
  QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(address)});
}

}  // namespace vistrel::linux_shell
