// A stand-in for the system's cacls.exe in tests: waits a moment, then appends
// its own path and the command line it received, as UTF-8, to
// C:\karvo-cacls-record.txt. The wait lets a test see that its caller waited.
#include <string>

#include "platform/win32/WinSupport.h"

int wmain() {
  Sleep(1000);
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::string line = plat::U(self) + "|" + plat::U(GetCommandLineW()) + "\n";
  HANDLE f = CreateFileW(L"C:\\karvo-cacls-record.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return 1;
  plat::TWinHandle file(f);
  DWORD written = 0;
  WriteFile(file.Get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  return 0;
}
