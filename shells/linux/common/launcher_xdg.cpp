#include "common/launcher_xdg.h"

#include <QProcess>
#include <QStandardPaths>

namespace vistrel::linux_shell {

bool XdgLauncher::OpenTextFile(const std::string& path) {
  const QString program = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
  if (program.isEmpty()) return false;
  auto* process = new QProcess();
  process->setProgram(program);
  process->setArguments({QString::fromStdString(path)});
  // As a detached start would: the viewer shares our output and reads nothing from us.
  process->setProcessChannelMode(QProcess::ForwardedChannels);
  process->setStandardInputFile(QProcess::nullDevice());
  // Queued, so that a failure found during start() is never reported inside the Help command.
  const auto failed = [this, path] {
    if (viewerFailed_) viewerFailed_(path);
  };
  QObject::connect(
      process, &QProcess::finished, process,
      [process, failed](int code, QProcess::ExitStatus status) {
        if (status != QProcess::NormalExit || code != 0) failed();
        process->deleteLater();
      },
      Qt::QueuedConnection);
  QObject::connect(
      process, &QProcess::errorOccurred, process,
      [process, failed](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart) return;  // a crash also finishes: said there
        failed();
        process->deleteLater();
      },
      Qt::QueuedConnection);
  process->start();
  return true;
}

void XdgLauncher::OpenAddress(std::uintptr_t /*owner*/, const std::string& address) {
  QProcess::startDetached(QStringLiteral("xdg-open"), {QString::fromStdString(address)});
}

}  // namespace vistrel::linux_shell
