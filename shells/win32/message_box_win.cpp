#include "message_box_win.h"

namespace vistrel::win32 {

MSGBOXPARAMSA ToMessageBoxParams(const platform::MessageBoxRequest& request, HWND owner) {
  MSGBOXPARAMSA params{};
  params.cbSize = sizeof params;
  params.hwndOwner = owner;
  params.hInstance = nullptr;
  params.lpszText = request.text.c_str();
  params.lpszCaption = request.title.c_str();
  params.dwStyle = static_cast<DWORD>(request.style);
  params.dwContextHelpId = static_cast<DWORD_PTR>(request.helpContext);
  params.dwLanguageId = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
  return params;
}

std::int32_t WinMessageBoxes::Show(const platform::MessageBoxRequest& request) {
  HWND owner = owner_ && IsWindow(owner_) ? owner_ : nullptr;
  const MSGBOXPARAMSA params = ToMessageBoxParams(request, owner);
  return MessageBoxIndirectA(&params);
}

}  // namespace vistrel::win32
