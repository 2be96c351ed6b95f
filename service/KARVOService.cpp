#include "service/KARVOService.h"

#include "service/BackupStatus.h"
#include "service/Functions.h"

TKARVOService* KARVOService = nullptr;

namespace {
plat::TServiceIdentity KARVOIdentity() {
  plat::TServiceIdentity id;
  id.Name = "KARVOService";
  id.DisplayName = "KARVO Service";
  id.Interactive = true;
  id.AutoStart = true;
  return id;
}
}  // namespace

TKARVOService::TKARVOService() : plat::TService(KARVOIdentity()) {}

TKARVOService::~TKARVOService() { ServiceDestroy(this); }

plat::TServiceControlHandler TKARVOService::GetServiceController() { return &ServiceControlHandler; }

void TKARVOService::ServiceExecute(plat::TService* sender) { RunService(*sender); }

void TKARVOService::ServiceDestroy(void*) {
  try {
    VerifyBackupStatus("KARVO Service");
  } catch (...) {
    // The check at program end reports nothing.
  }
}

void KARVO_CONTROL_CALL ServiceControlHandler(uint32_t code) {
  try {
    if (KARVOService) KARVOService->Controller(code);
    if (code == plat::ServiceControlStop) SignalStop();
  } catch (...) {
  }
}
