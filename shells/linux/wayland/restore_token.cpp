#include "wayland/restore_token.h"

#include <QFile>
#include <cstdio>

#include "common/state_dir.h"

namespace vistrel::linux_shell::wayland {
namespace {

const QString kTokenFile = QStringLiteral("Vistrel.screencast-token");

}  // namespace

std::string LoadRestoreToken() {
  QFile file(StateFilePath(kTokenFile));
  if (!file.open(QIODevice::ReadOnly)) return {};
  // A token is a short printable word; anything else is not one of ours.
  const QByteArray text = file.read(256).trimmed();
  for (const char c : text) {
    if (c < '!' || c > '~') return {};
  }
  return text.toStdString();
}

void SaveRestoreToken(const std::string& token) {
  QString error;
  if (WriteStateFile(kTokenFile, QByteArray::fromStdString(token), &error)) return;
  std::fprintf(stderr, "Vistrel could not keep the screen-sharing consent in %s: %s\n",
               qPrintable(StateFilePath(kTokenFile)), qPrintable(error));
}

}  // namespace vistrel::linux_shell::wayland
