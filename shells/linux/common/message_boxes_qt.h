// Message boxes on QMessageBox with the core's title, text, icon and OK button. Line breaks come
// as CR LF (or LF LF); the help file and topic the core passes have no viewer here. Ctrl+C
// copies a box's title, text and button to the clipboard.
#pragma once

#include <QMessageBox>
#include <memory>

#include "platform/message_box.h"

namespace vistrel::linux_shell {

std::unique_ptr<QMessageBox> BuildMessageBox(const platform::MessageBoxRequest& request);

// A question with two answers, yes the default. Escape and the close button choose neither: the
// box goes with clickedButton() null, and the caller leaves things as they are, since a box the
// user only waves away must not do what either button does.
std::unique_ptr<QMessageBox> BuildTwoAnswerBox(const std::string& title, const std::string& text,
                                               const QString& yes, const QString& no);

class QtMessageBoxes : public platform::MessageBoxes {
 public:
  std::int32_t Show(const platform::MessageBoxRequest& request) override;
};

}  // namespace vistrel::linux_shell
