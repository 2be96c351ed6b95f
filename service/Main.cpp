// KARVOService: opens the trace log, writes the start lines and runs the
// service application (install, uninstall, or the service under the SCM).
#include <exception>
#include <memory>

#include "common/FileVersion.h"
#include "common/ServerSettings.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Program.h"
#include "platform/Service.h"
#include "platform/UserMessage.h"
#include "service/KARVOService.h"
#include "trace/XYTrace.h"

namespace {
const char* const ApplicationTitle = "KARVO Service";

// Shows an exception of the start-up without waiting for anybody.
void ShowException(const std::string& message) { plat::NotifyUserNoWait(ApplicationTitle, message); }
}  // namespace

int ProgramMain(const std::vector<std::string>& args) {
  std::unique_ptr<TKARVOService> service;
  try {
    const std::string traceFolder =
        plat::ProgramFolder() + "Logs" + plat::PathDelim + "Service" + plat::PathDelim;
    plat::ForceDirectories(traceFolder);  // a failure shows when writing
    SetTraceFolder(traceFolder);
    SetTraceLevel(TraceProgress);
    WriteTrace(TraceProgress, "Starting Service (Ver: " + GetFileVersionString(plat::ProgramFile()) + ")");
    WriteTrace(TraceError, "SQL Server address: " + ReadServerSettings());
    service = std::make_unique<TKARVOService>();
    KARVOService = service.get();
    plat::RunServiceApplication(*service, args);
  } catch (const std::exception& e) {
    WriteTrace(TraceError, e.what());
    ShowException(e.what());
  } catch (...) {
    WriteTrace(TraceError, "Unknown exception");
    ShowException(std::string());
  }
  WriteTrace(TraceProgress, "Stopping Service");
  KARVOService = nullptr;
  try {
    service.reset();  // the backup status check
  } catch (...) {
  }
  return 0;
}
