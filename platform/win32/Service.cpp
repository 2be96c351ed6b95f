// The service framework on the Windows SCM. The dispatcher runs on the main
// thread (it calls the control handler there); the SCM's ServiceMain thread
// is the service thread. Control codes wake the service thread through a
// posted thread message, which its message wait sees.
#include <exception>
#include <memory>

#include "platform/Paths.h"
#include "platform/Service.h"
#include "platform/ServiceBackend.h"
#include "platform/UserMessage.h"
#include "platform/win32/WinSupport.h"

namespace plat {
namespace {

// The one service of the process, for the SCM's callbacks.
TService* GService = nullptr;
SERVICE_STATUS_HANDLE GStatusHandle = nullptr;
DWORD GCheckPoint = 0;

constexpr UINT WakeMessage = WM_USER + 0x4B;

void WINAPI DefaultHandler(DWORD code) {
  if (GService) GService->Controller(code);
}

void WINAPI ServiceMain(DWORD, LPWSTR*) {
  TService& service = *GService;
  const std::string& name = service.Identity().Name;
  TServiceControlHandler own = service.GetServiceController();
  LPHANDLER_FUNCTION handler = own ? reinterpret_cast<LPHANDLER_FUNCTION>(own) : DefaultHandler;
  GStatusHandle = RegisterServiceCtrlHandlerW(W(name).c_str(), handler);
  if (!GStatusHandle) {
    WriteServiceEventLog(name, SystemErrorMessage(GetLastError()));
    return;
  }
  detail::RunServiceBody(service);
}

void Tell(const TService& service, bool silent, bool ok, const std::string& text) {
  if (!silent)
    NotifyUserNoWait(service.Identity().DisplayName, text);
  else if (!ok)
    WriteServiceEventLog(service.Identity().Name, text);
}

bool Install(const TService& service, bool silent) {
  const TServiceIdentity& id = service.Identity();
  TScmHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
  if (!manager) {
    Tell(service, silent, false, "Service installation failed: " + SystemErrorMessage(GetLastError()));
    return false;
  }
  const std::wstring image = L"\"" + W(ProgramFile()) + L"\"";
  const DWORD type = SERVICE_WIN32_OWN_PROCESS | (id.Interactive ? SERVICE_INTERACTIVE_PROCESS : 0);
  TScmHandle created(CreateServiceW(manager.Get(), W(id.Name).c_str(), W(id.DisplayName).c_str(),
                                   SERVICE_ALL_ACCESS, type,
                                   id.AutoStart ? SERVICE_AUTO_START : SERVICE_DEMAND_START,
                                   SERVICE_ERROR_NORMAL, image.c_str(), nullptr, nullptr, nullptr,
                                   nullptr /* LocalSystem */, nullptr));
  if (!created) {
    Tell(service, silent, false, "Service installation failed: " + SystemErrorMessage(GetLastError()));
    return false;
  }
  Tell(service, silent, true, "Service installed successfully");
  return true;
}

bool Uninstall(const TService& service, bool silent) {
  TScmHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  TScmHandle existing(manager ? OpenServiceW(manager.Get(), W(service.Identity().Name).c_str(), DELETE)
                             : nullptr);
  if (!existing || !DeleteService(existing.Get())) {
    Tell(service, silent, false, "Service removal failed: " + SystemErrorMessage(GetLastError()));
    return false;
  }
  Tell(service, silent, true, "Service uninstalled successfully");
  return true;
}

}  // namespace

namespace detail {

void ReportServiceStatus(const TService& service, TServiceState state) {
  if (!GStatusHandle || GService != &service) return;
  SERVICE_STATUS status{};
  status.dwServiceType =
      SERVICE_WIN32_OWN_PROCESS | (service.Identity().Interactive ? SERVICE_INTERACTIVE_PROCESS : 0);
  status.dwCurrentState = static_cast<DWORD>(state);
  status.dwControlsAccepted = state == TServiceState::StartPending
                                  ? 0
                                  : SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;
  const bool pending = state == TServiceState::StartPending || state == TServiceState::StopPending ||
                       state == TServiceState::PausePending || state == TServiceState::ContinuePending;
  status.dwCheckPoint = pending ? ++GCheckPoint : (GCheckPoint = 0);
  status.dwWaitHint = pending ? ServiceWaitHintMs : 0;
  SetServiceStatus(GStatusHandle, &status);
}

uint32_t PrepareServiceThread() {
  MSG msg;
  PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // creates the thread's queue
  return GetCurrentThreadId();
}

void WakeServiceThread(uint32_t threadId) { PostThreadMessageW(threadId, WakeMessage, 0, 0); }

bool WaitThreadMessage(uint32_t ms) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
  return true;
}

void DrainThreadMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.hwnd) DispatchMessageW(&msg);
  }
}

}  // namespace detail

void WriteServiceEventLog(const std::string& source, const std::string& message) {
  std::unique_ptr<void, BOOL(WINAPI*)(HANDLE)> log(RegisterEventSourceW(nullptr, W(source).c_str()),
                                                  DeregisterEventSource);
  if (!log) return;
  const std::wstring text = W(message);
  LPCWSTR strings[1] = {text.c_str()};
  ReportEventW(log.get(), EVENTLOG_ERROR_TYPE, 0, 0, nullptr, 1, 0, strings, nullptr);
}

bool RunServiceApplication(TService& service, const std::vector<std::string>& args) {
  try {
    const TServiceCommandLine command = ParseServiceCommandLine(args);
    if (command.Mode == TServiceRunMode::Install) return Install(service, command.Silent);
    if (command.Mode == TServiceRunMode::Uninstall) return Uninstall(service, command.Silent);
    GService = &service;
    std::wstring name = W(service.Identity().Name);
    SERVICE_TABLE_ENTRYW table[] = {{&name[0], ServiceMain}, {nullptr, nullptr}};
    const bool ok = StartServiceCtrlDispatcherW(table) != 0;
    if (!ok) WriteServiceEventLog(service.Identity().Name, SystemErrorMessage(GetLastError()));
    GStatusHandle = nullptr;
    GService = nullptr;
    return ok;
  } catch (...) {
    GService = nullptr;
    return false;
  }
}

}  // namespace plat
