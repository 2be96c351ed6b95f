#include "platform/UserMessage.h"

#include "platform/win32/WinSupport.h"

#include <wtsapi32.h>

namespace plat {

void ShowMessage(const std::string& caption, const std::string& text, bool error) {
  MessageBoxW(nullptr, W(text).c_str(), W(caption).c_str(), MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

void NotifyUserNoWait(const std::string& caption, const std::string& text) {
  // WTSSendMessage with bWait FALSE returns at once, also from a service's
  // session; nobody has to close anything for the program to go on.
  std::wstring t = W(caption), m = W(text);
  DWORD response = 0;
  WTSSendMessageW(WTS_CURRENT_SERVER_HANDLE, WTSGetActiveConsoleSessionId(), t.data(),
                  static_cast<DWORD>(t.size() * sizeof(wchar_t)), m.data(),
                  static_cast<DWORD>(m.size() * sizeof(wchar_t)), MB_OK | MB_ICONERROR, 0, &response, FALSE);
}

}  // namespace plat
