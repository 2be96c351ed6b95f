// The service control manager client on Windows.
#include "platform/ServiceManager.h"

#include "platform/win32/WinSupport.h"

namespace plat {
namespace {

class TWinService : public IServiceHandle {
 public:
  explicit TWinService(SC_HANDLE h) : Handle_(h) {}
  bool QueryStatus(TServiceStatus& status) override {
    SERVICE_STATUS_PROCESS s{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(Handle_.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<LPBYTE>(&s), sizeof s,
                              &needed))
      return false;
    status.ServiceType = s.dwServiceType;
    status.CurrentState = s.dwCurrentState;
    status.ControlsAccepted = s.dwControlsAccepted;
    status.Win32ExitCode = s.dwWin32ExitCode;
    status.ServiceSpecificExitCode = s.dwServiceSpecificExitCode;
    status.CheckPoint = s.dwCheckPoint;
    status.WaitHint = s.dwWaitHint;
    status.ProcessId = s.dwProcessId;
    status.ServiceFlags = s.dwServiceFlags;
    return true;
  }
  bool Start(std::string& error) override {
    if (StartServiceW(Handle_.Get(), 0, nullptr)) return true;
    error = SystemErrorMessage(GetLastError());
    return false;
  }
  bool SendStop() override {
    SERVICE_STATUS s{};
    return ControlService(Handle_.Get(), SERVICE_CONTROL_STOP, &s) != FALSE;
  }
  bool SetStartType(uint32_t startType) override {
    return ChangeServiceConfigW(Handle_.Get(), SERVICE_NO_CHANGE, startType, SERVICE_NO_CHANGE, nullptr, nullptr,
                                nullptr, nullptr, nullptr, nullptr, nullptr) != FALSE;
  }

 private:
  TScmHandle Handle_;
};

class TWinConnection : public IServiceManagerConnection {
 public:
  explicit TWinConnection(SC_HANDLE h) : Handle_(h) {}
  std::unique_ptr<IServiceHandle> OpenServiceByName(const std::string& name) override {
    SC_HANDLE h = OpenServiceW(Handle_.Get(), W(name).c_str(), SERVICE_ALL_ACCESS);
    if (!h) return nullptr;
    return std::make_unique<TWinService>(h);
  }

 private:
  TScmHandle Handle_;
};

class TWinServiceManager : public IServiceManager {
 public:
  std::unique_ptr<IServiceManagerConnection> OpenManager() override {
    SC_HANDLE h = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!h) return nullptr;
    return std::make_unique<TWinConnection>(h);
  }
};

}  // namespace

IServiceManager& SystemServiceManager() {
  static TWinServiceManager manager;
  return manager;
}

}  // namespace plat
