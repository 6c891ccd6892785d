// Message boxes on QMessageBox with the core's title, text, icon and OK button. Line breaks come
// as CR LF (or LF LF); the help file and topic the core passes have no viewer here. Ctrl+C
// copies a box's title, text and button to the clipboard.
#pragma once

#include <QMessageBox>
#include <memory>

#include "platform/message_box.h"

namespace vistrel::linux_shell {

std::unique_ptr<QMessageBox> BuildMessageBox(const platform::MessageBoxRequest& request);

class QtMessageBoxes : public platform::MessageBoxes {
 public:
  std::int32_t Show(const platform::MessageBoxRequest& request) override;
};

}  // namespace vistrel::linux_shell
