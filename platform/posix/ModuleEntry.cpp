#include "platform/ModuleEntry.h"

namespace {
__attribute__((constructor)) void OnLoad() { ModuleAttach(); }
__attribute__((destructor)) void OnUnload() { ModuleDetach(); }
}  // namespace
