// A DLL without _Execute: it may be loaded and unloaded, never called.
#include "platform/Plugin.h"

KARVO_PLUGIN_EXPORT void KARVO_PLUGIN_CALL Execute(void*) {}
