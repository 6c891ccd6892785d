#include "message_box_win.h"

#include <string>

namespace vistrel::win32 {
namespace {

// The help file of the box on show; F1 on a box reaches the callback on the UI thread.
std::string g_helpFile;

void CALLBACK OpenHelpTopic(LPHELPINFO info) {
  if (!info || g_helpFile.empty()) return;
  WinHelpA(static_cast<HWND>(info->hItemHandle), g_helpFile.c_str(), HELP_CONTEXT,
           static_cast<ULONG_PTR>(info->dwContextId));
}

}  // namespace

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
  MSGBOXPARAMSA params = ToMessageBoxParams(request, owner);
  if (!request.helpFile.empty()) {
    g_helpFile = request.helpFile;
    params.lpfnMsgBoxCallback = OpenHelpTopic;
  }
  const int result = MessageBoxIndirectA(&params);
  g_helpFile.clear();
  return result;
}

}  // namespace vistrel::win32
