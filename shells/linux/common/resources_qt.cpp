#include "common/resources_qt.h"

#include <QFile>
#include <QPixmap>
#include <QRegularExpression>

namespace vistrel::linux_shell::resources {

const QIcon& MagnifierIcon() {
  static const QIcon icon(QStringLiteral(":/vistrel/magnifier.xpm"));
  return icon;
}

QCursor HandCursor() {
  const QString path = QStringLiteral(":/vistrel/hand.xpm");
  const QPixmap picture(path);
  if (picture.isNull()) return QCursor(Qt::PointingHandCursor);
  // The XPM's values line may carry the hot spot after width, height, colours and chars.
  int hotX = 0, hotY = 0;
  QFile file(path);
  if (file.open(QIODevice::ReadOnly)) {
    const QRegularExpression values(
        QStringLiteral("\"\\s*\\d+\\s+\\d+\\s+\\d+\\s+\\d+\\s+(\\d+)\\s+(\\d+)\\s*\""));
    const QRegularExpressionMatch match = values.match(QString::fromLatin1(file.readAll()));
    if (match.hasMatch()) {
      hotX = match.captured(1).toInt();
      hotY = match.captured(2).toInt();
    }
  }
  return QCursor(picture, hotX, hotY);
}

}  // namespace vistrel::linux_shell::resources
