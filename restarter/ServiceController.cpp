#include "restarter/ServiceController.h"

#include "platform/Clock.h"

TServiceController::TServiceController(plat::IServiceManager& manager, const std::string& serviceName,
                                       TStartErrorReport reportStartError)
    : FServiceManager(manager), FServiceName(serviceName), FReportStartError(std::move(reportStartError)) {}

TServiceController::~TServiceController() { CloseHandles(); }

bool TServiceController::OpenManager() {
  if (!FManager) FManager = FServiceManager.OpenManager();
  return FManager != nullptr;
}

bool TServiceController::OpenServiceHandle() {
  if (FManager && !FService) FService = FManager->OpenServiceByName(FServiceName);
  return FService != nullptr;
}

bool TServiceController::OpenHandles() { return OpenManager() && OpenServiceHandle(); }

void TServiceController::CloseHandles() {
  FService.reset();
  FManager.reset();
}

bool TServiceController::QueryStatus() { return FService && FService->QueryStatus(FStatus); }

void TServiceController::WaitWhileState(uint32_t state) {
  plat::IClock& clock = plat::Clock();
  FStartTicks = clock.TickCount();
  FOldCheckPoint = FStatus.CheckPoint;
  while (FStatus.CurrentState == state) {
    FWaitTime = FStatus.WaitHint / 10;
    if (FWaitTime < 1000) FWaitTime = 1000;
    if (FWaitTime > 10000) FWaitTime = 10000;
    clock.Sleep(FWaitTime);
    if (!QueryStatus()) return;
    if (FStatus.CheckPoint > FOldCheckPoint) {
      FStartTicks = clock.TickCount();
      FOldCheckPoint = FStatus.CheckPoint;
    } else if (static_cast<uint32_t>(clock.TickCount() - FStartTicks) > FStatus.WaitHint) {
      return;  // no progress for longer than the service's own wait hint
    }
  }
}

void TServiceController::SetDemandStart() {
  if (FService) FService->SetStartType(plat::kServiceDemandStart);
}

bool TServiceController::Start() {
  bool result = false;
  if (OpenHandles()) {
    QueryStatus();
    if (FStatus.CurrentState == plat::kServiceRunning) {
      result = true;
    } else {
      WaitWhileState(plat::kServiceStopPending);
      WaitWhileState(plat::kServiceStopped);
      if (FStatus.CurrentState == plat::kServiceStopped) {
        std::string error;
        if (FService->Start(error)) {
          FService->SetStartType(plat::kServiceAutoStart);
          QueryStatus();
          WaitWhileState(plat::kServiceStartPending);
          result = FStatus.CurrentState == plat::kServiceRunning;
        } else if (FReportStartError) {
          FReportStartError(error);
        }
      }
    }
  }
  CloseHandles();
  return result;
}

bool TServiceController::Stop(bool setDemandStart) {
  bool result = false;
  if (OpenHandles()) {
    QueryStatus();
    if (FStatus.CurrentState == plat::kServiceStopped) {
      result = true;
    } else {
      WaitWhileState(plat::kServiceStopPending);
      WaitWhileState(plat::kServiceStartPending);
      if (FStatus.CurrentState == plat::kServiceRunning) {
        if (FService->SendStop() && setDemandStart) SetDemandStart();
        QueryStatus();
        WaitWhileState(plat::kServiceStopPending);
        result = FStatus.CurrentState == plat::kServiceStopped;
      }
    }
  }
  CloseHandles();
  return result;
}

bool TServiceController::Restart(bool retry) {
  bool result = Stop(true);
  if (result) result = Start();
  if (!result && retry) result = Restart(false);
  return result;
}
