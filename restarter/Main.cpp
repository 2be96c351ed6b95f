// KARVOServiceRestarter: started by the service after it staged an update.
// Its only parameter, the hand-off semaphore's name, is not used: the name is
// fixed. Always ends with exit code 0.
#include "platform/Paths.h"
#include "platform/Program.h"
#include "platform/ServiceManager.h"
#include "platform/Sync.h"
#include "restarter/FileUpgrade.h"

int ProgramMain(const std::vector<std::string>&) {
  try {
    // Tell the waiting service that the restarter runs; the handle stays open
    // until the program ends. Without the semaphore the run goes on.
    plat::TSemaphore handOff = plat::TSemaphore::Open("Global\\KARVOServiceRestarterSemaphore");
    if (handOff.Valid()) handOff.Release();
    RunFileUpgrade(plat::SystemServiceManager(), plat::ProgramFolder());
  } catch (...) {
    // Nothing may change the exit code.
  }
  return 0;
}
