#include "common/message_boxes_qt.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>

namespace vistrel::linux_shell {
namespace {

void SetTitleAndText(QMessageBox& box, const std::string& title, const QString& text) {
  box.setWindowTitle(QString::fromStdString(title));
  // Plain text: a path or a setting value must never be read as markup.
  box.setTextFormat(Qt::PlainText);
  box.setText(text);
}

}  // namespace

std::unique_ptr<QMessageBox> BuildMessageBox(const platform::MessageBoxRequest& request) {
  auto box = std::make_unique<QMessageBox>();
  QString text = QString::fromStdString(request.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  SetTitleAndText(*box, request.title, text);
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

namespace {

// QMessageBox lets Escape and the close button only click its escape button, and ignores both
// without one.
class TwoAnswerBox : public QMessageBox {
 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->matches(QKeySequence::Cancel)) {
      reject();
      return;
    }
    QMessageBox::keyPressEvent(event);
  }
  void closeEvent(QCloseEvent* event) override { QDialog::closeEvent(event); }
};

}  // namespace

std::unique_ptr<QMessageBox> BuildTwoAnswerBox(const std::string& title, const std::string& text,
                                               const QString& yes, const QString& no) {
  auto box = std::make_unique<TwoAnswerBox>();
  SetTitleAndText(*box, title, QString::fromStdString(text));
  box->setIcon(QMessageBox::Question);
  box->setDefaultButton(box->addButton(yes, QMessageBox::AcceptRole));
  box->addButton(no, QMessageBox::RejectRole);
  return box;
}

std::int32_t QtMessageBoxes::Show(const platform::MessageBoxRequest& request) {
  std::unique_ptr<QMessageBox> box = BuildMessageBox(request);
  box->exec();
  return platform::kResultOk;
}

}  // namespace vistrel::linux_shell
