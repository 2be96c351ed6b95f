#include "backup/KARVOBackup.h"

#include <memory>

#include "backup/BackupResult.h"
#include "common/Database.h"
#include "common/FileVersion.h"
#include "common/ServerSettings.h"
#include "platform/Clock.h"
#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "trace/XYTrace.h"

namespace {

uint32_t CurrentInterval = NormalInterval;
bool DebugLog = false;
std::function<void()>& CycleHook() {
  static std::function<void()> hook;
  return hook;
}

const std::string kThreadPrefix = "KARVO Backup thread: ";

// One run of _Execute: the work connection and the prepared call live as long
// as the run and are reused by every cycle.
class TBackupRun {
 public:
  TBackupRun()
      : Connection_(CreateDbConnection(std::string())), Procedure_(*Connection_, "PRunBackup", true) {
    Procedure_.SetCommandTimeout(0);
  }

  // Steps of one cycle up to the wait; errors are written, never raised.
  void Cycle() {
    try {
      Work();
    } catch (const std::exception& e) {
      WriteTrace(TraceError, kThreadPrefix + e.what());
    } catch (...) {
      WriteTrace(TraceError, kThreadPrefix + "Unknown error");
    }
    try {
      if (Connection_->Connected()) Connection_->Close();
    } catch (...) {
    }
  }

  std::string LastAddress;
  bool ReportConnection = true;

 private:
  void Work() {
    const std::string address = ReadServerSettings(&DebugLog);
    if (address != LastAddress) {
      WriteTrace(TraceError, "SQL Server address changed: " + address);
      LastAddress = address;
      ReportConnection = true;
    }
    if (!TestServerConnection(address, BackupAppName())) {
      WriteTrace(TraceError, "Connection failed. Invalid SQL server address (" + address + ")");
      ReportConnection = true;
      CurrentInterval = RetryInterval;
      return;
    }
    if (ReportConnection) {
      WriteTrace(TraceError, "Connection successful (" + address + ")");
      ReportConnection = false;
    }
    CurrentInterval = NormalInterval;
    Connection_->SetConnectionString(
        BuildConnectionString(address, kDbLoginName, kDbPassword, BackupAppName(), kMainDatabase));
    const std::string version = GetDatabaseVersion(Connection_.get());
    if (!IsDatabaseVersionAtLeast(version, kBackupMinimumDbVersion)) {
      WriteTrace(TraceError, kThreadPrefix + "Fendra version error (" + address + ")");
      return;
    }
    const std::string error = ExecuteStoredProcedure(Procedure_);
    if (!error.empty()) {
      WriteTrace(TraceError, error);
    } else {
      const std::string text = FormatBackupResult(Procedure_.ReturnValue(), Procedure_.Message(), DebugLog);
      if (!text.empty()) WriteTrace(TraceError, text);
    }
    if (CycleHook()) CycleHook()();
  }

  std::unique_ptr<plat::TDbConnection> Connection_;
  plat::TDbStoredProc Procedure_;
};

}  // namespace

const std::string& BackupAppName() {
  static const std::string name = plat::ChangeFileExt(plat::ExtractFileName(plat::ProgramFile()), "") + " (Backup)";
  return name;
}

void SetBackupCycleHook(std::function<void()> hook) { CycleHook() = std::move(hook); }

void BackupLoaded() noexcept {
  try {
    const std::string host = plat::ProgramFolder();
    const std::string folder = host + "Logs" + plat::PathDelim + "Backup" + plat::PathDelim;
    if (!plat::DirectoryExists(folder)) plat::ForceDirectories(folder);
    SetTraceFolder(folder);
    SetTraceLevel(TraceProgress);
    // The version of the installed plug-in file, whatever name this copy was loaded under.
    const std::string version = GetFileVersionString(host + "sdll" + plat::PathDelim + "KARVOBackup.dll");
    WriteTrace(TraceProgress, BackupAppName() + " loaded (Ver: " + version + ")");
  } catch (...) {
  }
}

void BackupUnloaded() noexcept {
  try {
    WriteTrace(TraceProgress, BackupAppName() + " unloaded");
  } catch (...) {
  }
}

void RunBackupCycles(const plat::TEvent& stopEvent) noexcept {
  try {
    plat::TComInit com;
    TBackupRun run;
    run.LastAddress = ReadServerSettings(&DebugLog);
    WriteTrace(TraceError, "SQL Server address: " + run.LastAddress);
    bool stop = false;
    while (!stop) {
      // The period is measured on the monotonic clock: a change of the wall
      // clock, or midnight, neither shortens nor stretches it.
      const uint64_t start = plat::Clock().MonotonicMs();
      run.Cycle();
      const uint64_t spent = plat::Clock().MonotonicMs() - start;
      const uint32_t wait = spent >= CurrentInterval ? 0 : static_cast<uint32_t>(CurrentInterval - spent);
      switch (stopEvent.WaitFor(wait)) {
        case plat::TWaitResult::Signalled:
          stop = true;
          break;
        case plat::TWaitResult::TimedOut:
          break;
        case plat::TWaitResult::Failed:
          // A broken event must not make the cycles run back to back: the
          // wait is taken in full, and the backups go on.
          WriteTrace(TraceError, kThreadPrefix + "Waiting on the stop event failed");
          plat::Clock().Sleep(wait);
          break;
      }
    }
  } catch (const std::exception& e) {
    WriteTrace(TraceError, kThreadPrefix + e.what());
  } catch (...) {
    WriteTrace(TraceError, kThreadPrefix + "Unknown error");
  }
}
