#include "common/message_boxes_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QShortcut>

namespace vistrel::linux_shell {

std::unique_ptr<QMessageBox> BuildMessageBox(const platform::MessageBoxRequest& request) {
  auto box = std::make_unique<QMessageBox>();
  box->setWindowTitle(QString::fromStdString(request.title));
  QString text = QString::fromStdString(request.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  // Plain text: a path or a setting value must never be read as markup.
  box->setTextFormat(Qt::PlainText);
  box->setText(text);
  // In the order of platform::BoxIcon.
  constexpr QMessageBox::Icon kIcons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                          QMessageBox::Question, QMessageBox::Warning,
                                          QMessageBox::Information};
  box->setIcon(kIcons[static_cast<std::size_t>(platform::IconOf(request.style))]);
  box->setStandardButtons(QMessageBox::Ok);
  box->setDefaultButton(QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Ok);
  // Ctrl+C copies the box as text, in the layout users know from the other platform's boxes.
  auto* copy = new QShortcut(QKeySequence::Copy, box.get());
  QObject::connect(copy, &QShortcut::activated, [title = box->windowTitle(), text] {
    const QString rule = QStringLiteral("---------------------------\n");
    QGuiApplication::clipboard()->setText(rule + title + QLatin1Char('\n') + rule + text +
                                          QLatin1Char('\n') + rule + QStringLiteral("OK\n") + rule);
  });
  return box;
}

std::int32_t QtMessageBoxes::Show(const platform::MessageBoxRequest& request) {
  std::unique_ptr<QMessageBox> box = BuildMessageBox(request);
  box->exec();
  return platform::kResultOk;
}

}  // namespace vistrel::linux_shell
