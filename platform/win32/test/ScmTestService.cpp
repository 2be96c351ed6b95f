// A minimal service for tests of the service control manager client: it only
// reports its states (start pending, running, stop pending, stopped) and stops
// when asked.
#include "platform/win32/WinSupport.h"

namespace {

SERVICE_STATUS_HANDLE StatusHandle = nullptr;
HANDLE StopEvent = nullptr;
DWORD CheckPoint = 0;

void Report(DWORD state, DWORD waitHint) {
  SERVICE_STATUS s{};
  s.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  s.dwCurrentState = state;
  s.dwControlsAccepted = state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0;
  s.dwWin32ExitCode = NO_ERROR;
  s.dwCheckPoint = (state == SERVICE_RUNNING || state == SERVICE_STOPPED) ? 0 : ++CheckPoint;
  s.dwWaitHint = waitHint;
  SetServiceStatus(StatusHandle, &s);
}

DWORD WINAPI Handler(DWORD control, DWORD, LPVOID, LPVOID) {
  if (control == SERVICE_CONTROL_STOP) {
    Report(SERVICE_STOP_PENDING, 3000);
    SetEvent(StopEvent);
  }
  return NO_ERROR;
}

void WINAPI ServiceMain(DWORD, LPWSTR* argv) {
  StatusHandle = RegisterServiceCtrlHandlerExW(argv[0], Handler, nullptr);
  if (!StatusHandle) return;
  Report(SERVICE_START_PENDING, 3000);
  Sleep(300);
  Report(SERVICE_RUNNING, 0);
  WaitForSingleObject(StopEvent, INFINITE);
  Sleep(300);
  Report(SERVICE_STOPPED, 0);
}

}  // namespace

int wmain() {
  StopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  plat::TWinHandle stopEvent(StopEvent);
  wchar_t name[] = L"";
  SERVICE_TABLE_ENTRYW table[] = {{name, ServiceMain}, {nullptr, nullptr}};
  return StartServiceCtrlDispatcherW(table) ? 0 : 1;
}
