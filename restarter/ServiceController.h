#pragma once
// Stops, starts and restarts one installed service through the service control
// manager, waiting for it to settle after each request. The wait follows the
// manager's progress protocol: poll at a tenth of the service's wait hint
// (1 to 10 s), go on while the check-point advances, give up once it has not
// moved for longer than the wait hint. Time is read through plat::Clock().
//
// Start and Stop open the manager and the service and close both again; no
// handle stays open between operations. One thread uses a controller.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ServiceManager.h"

class TServiceController {
 public:
  // Receives the system's text when the manager refuses a start request. It
  // must not wait for anybody: the restarter runs where nobody sees a window.
  using TStartErrorReport = std::function<void(const std::string& error)>;

  TServiceController(plat::IServiceManager& manager, const std::string& serviceName,
                     TStartErrorReport reportStartError);
  ~TServiceController();
  TServiceController(const TServiceController&) = delete;
  TServiceController& operator=(const TServiceController&) = delete;

  // Starts a stopped service and sets its start type to automatic; true when
  // it is running at the end (at once, sending nothing, if it already runs).
  bool Start();
  // Stops a running service, setting its start type to manual on request once
  // the stop control is accepted; true when it is stopped at the end.
  bool Stop(bool setDemandStart);
  // Stop(true), then Start(); one more attempt when that fails and retry is set.
  bool Restart(bool retry);

 private:
  bool OpenHandles();
  bool OpenManager();
  bool OpenServiceHandle();
  void CloseHandles();
  bool QueryStatus();
  void WaitWhileState(uint32_t state);
  void SetDemandStart();

  plat::IServiceManager& FServiceManager;
  std::unique_ptr<plat::IServiceManagerConnection> FManager;
  std::unique_ptr<plat::IServiceHandle> FService;
  plat::TServiceStatus FStatus;
  uint32_t FOldCheckPoint = 0;
  uint32_t FStartTicks = 0;
  uint32_t FWaitTime = 0;
  std::string FServiceName;
  TStartErrorReport FReportStartError;
};
