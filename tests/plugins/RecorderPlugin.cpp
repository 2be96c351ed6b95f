// A plug-in that records its life: load and unload (with their threads), the
// call of _Execute (thread, COM, whether its event opens by its file name)
// and the stop (whether the event opened by name is set with it).
#include "platform/Com.h"
#include "platform/Plugin.h"
#include "platform/Sync.h"
#include "tests/plugins/PluginRecord.h"

KARVO_PLUGIN_EXPORT void KARVO_PLUGIN_CALL _Execute(void* stopEvent) {
  try {
    const plat::TEvent stop = plat::TEvent::Borrow(stopEvent);
    const plat::TEvent named = plat::TEvent::Open(plat::ExtractFileName(OwnPluginFile()));
    Record(std::string("execute com=") + (plat::ComInitialisedOnThisThread() ? "1" : "0") +
           " named=" + (named.Valid() ? "1" : "0") + " set=" + (stop.IsSet() ? "1" : "0"));
    for (;;) {
      const plat::TWaitResult r = stop.WaitFor(100);
      if (r == plat::TWaitResult::Signalled) break;
      if (r == plat::TWaitResult::Failed) {
        Record("waitfailed");
        return;
      }
    }
    Record(std::string("stopped namedset=") + (named.Valid() && named.IsSet() ? "1" : "0"));
  } catch (...) {
  }
}
