// KARVOBackup.dll: the library's entry point and its one export.
#include "backup/KARVOBackup.h"
#include "platform/ModuleEntry.h"
#include "platform/Plugin.h"

void ModuleAttach() noexcept { BackupLoaded(); }
void ModuleDetach() noexcept { BackupUnloaded(); }

KARVO_PLUGIN_EXPORT void KARVO_PLUGIN_CALL _Execute(void* stopEvent) {
  RunBackupCycles(plat::TEvent::Borrow(stopEvent));
}
