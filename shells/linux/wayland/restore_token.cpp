#include "wayland/restore_token.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdio>

#include "common/state_dir.h"

namespace vistrel::linux_shell::wayland {
namespace {

QString TokenPath() {
  return StateFilePath(QStringLiteral("Vistrel.screencast-token"));
}

}  // namespace

std::string LoadRestoreToken() {
  QFile file(TokenPath());
  if (!file.open(QIODevice::ReadOnly)) return {};
  // A token is a short printable word; anything else is not one of ours.
  const QByteArray text = file.read(256).trimmed();
  for (const char c : text) {
    if (c < '!' || c > '~') return {};
  }
  return text.toStdString();
}

void SaveRestoreToken(const std::string& token) {
  const QString path = TokenPath();
  QDir().mkpath(QFileInfo(path).path());
  QSaveFile file(path);
  if (file.open(QIODevice::WriteOnly) &&
      file.write(token.data(), static_cast<qint64>(token.size())) ==
          static_cast<qint64>(token.size()) &&
      file.commit()) {
    return;
  }
  std::fprintf(stderr, "Vistrel could not keep the screen-sharing consent in %s: %s\n",
               qPrintable(path), qPrintable(file.errorString()));
}

}  // namespace vistrel::linux_shell::wayland
