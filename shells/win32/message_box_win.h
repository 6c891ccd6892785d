// Message boxes through MessageBoxIndirectA: the runtime's style numbers are the platform's
// MB_ values, and a box that carries a help file opens its topic on F1.
#pragma once

#include "platform/message_box.h"
#include "win32_api.h"

namespace vistrel::win32 {

// The box's parameters as the request gives them (the help callback aside).
MSGBOXPARAMSA ToMessageBoxParams(const platform::MessageBoxRequest& request, HWND owner);

class WinMessageBoxes : public platform::MessageBoxes {
 public:
  // Boxes belong to the main window once it exists, so that they stand in front of it even
  // when it is kept on top, and it takes no clicks while one is open.
  void SetOwner(HWND owner) { owner_ = owner; }
  std::int32_t Show(const platform::MessageBoxRequest& request) override;

 private:
  HWND owner_ = nullptr;
};

}  // namespace vistrel::win32
