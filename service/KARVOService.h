#pragma once
// The service object of KARVOService: its identity, its execute and destroy
// handlers and the control handler registered with the SCM.
#include <cstdint>

#include "platform/Service.h"

class TKARVOService : public plat::TService {
 public:
  TKARVOService();
  ~TKARVOService() override;  // runs ServiceDestroy

  plat::TServiceControlHandler GetServiceController() override;
  void Execute() override { ServiceExecute(this); }

  // On the service thread: the worker loop.
  void ServiceExecute(plat::TService* sender);
  // When the object goes, at program end on the main thread: the backup status check.
  void ServiceDestroy(void* sender);
};

// The single service object, while it exists.
extern TKARVOService* KARVOService;

// Hands the code to the service object; on a stop also signals the plug-ins
// and the update timer. Control dispatcher thread; never throws.
void KARVO_CONTROL_CALL ServiceControlHandler(uint32_t code);
