#include "service/UpdateCheck.h"

#include "trace/XYTrace.h"

// Until the downloader lands the check stages nothing.
bool CheckForUpdates() {
  WriteTrace(TraceProgress, "Checking updates...");
  WriteTrace(TraceProgress, "No updates found");
  return false;
}
