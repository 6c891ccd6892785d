// The message boxes as the core asks for them: title, text with its line breaks, icon, the one
// OK button; and text that looks like markup shown as it is. A two-answer box that Escape or its
// close button dismisses has no answer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <functional>

#include "common/message_boxes_qt.h"

namespace vistrel::linux_shell {
namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "vistrel_linux_common_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: a key event makes Qt create its primary keyboard, whose registry is a
  // global that is gone before a static application's destructor would delete the device.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

TEST(MessageBoxes, TitleTextIconAndButtonFromTheRequest) {
  App();
  struct Case {
    std::int32_t style;
    QMessageBox::Icon icon;
  };
  const Case cases[] = {{platform::kOkOnly, QMessageBox::NoIcon},
                        {platform::kCritical, QMessageBox::Critical},
                        {platform::kExclamation, QMessageBox::Warning},
                        {platform::kInformation, QMessageBox::Information},
                        {platform::kQuestion, QMessageBox::Question}};
  for (const Case& c : cases) {
    const auto box = BuildMessageBox({"Line 1\r\nLine 2", c.style, "Oops..."});
    EXPECT_EQ(box->windowTitle(), "Oops...");
    EXPECT_EQ(box->text(), "Line 1\nLine 2");
    EXPECT_EQ(box->icon(), c.icon);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
  }
}

TEST(MessageBoxes, IncorrectFormatKeepsItsBlankLine) {
  App();
  const auto box = BuildMessageBox({"Incorrect Format:\n\n<b>HKEY_X</b>", 0, "Vistrel"});
  EXPECT_EQ(box->text(), "Incorrect Format:\n\n<b>HKEY_X</b>");
  EXPECT_EQ(box->textFormat(), Qt::PlainText);
}

TEST(MessageBoxes, TwoAnswerBoxGivesOnlyItsButtonsAsAnswers) {
  App();
  const auto box = BuildTwoAnswerBox("Vistrel", "Again?", "Share Again", "End");
  const QList<QAbstractButton*> buttons = box->buttons();
  ASSERT_EQ(buttons.size(), 2);
  EXPECT_EQ(box->defaultButton(), buttons[0]);
  EXPECT_EQ(buttons[0]->text(), "Share Again");
  EXPECT_EQ(buttons[1]->text(), "End");
  const std::function<void()> dismissals[] = {[&] {
                                                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape,
                                                                 Qt::NoModifier);
                                                QApplication::sendEvent(box.get(), &escape);
                                              },
                                              [&] { box->close(); }};
  for (const auto& dismiss : dismissals) {
    box->show();
    dismiss();
    EXPECT_FALSE(box->isVisible());
    EXPECT_EQ(box->clickedButton(), nullptr);
  }
  box->show();
  buttons[1]->click();
  EXPECT_FALSE(box->isVisible());
  EXPECT_EQ(box->clickedButton(), buttons[1]);
}

}  // namespace
}  // namespace vistrel::linux_shell
