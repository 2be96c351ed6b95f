// Load and unload records, shared by the test plug-ins.
#include "platform/ModuleEntry.h"
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
