// A DLL without _Execute: it may be loaded and unloaded, never called.
#include "platform/ModuleEntry.h"
#include "platform/Plugin.h"
#include "tests/plugins/PluginRecord.h"

void ModuleAttach() noexcept {
  try {
    Record("load");
  } catch (...) {
  }
}

void ModuleDetach() noexcept {
  try {
    Record("unload");
  } catch (...) {
  }
}

KARVO_PLUGIN_EXPORT void KARVO_PLUGIN_CALL Execute(void*) {}
