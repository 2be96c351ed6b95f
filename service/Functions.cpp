#include "service/Functions.h"

#include <deque>
#include <exception>
#include <memory>
#include <mutex>

#include "platform/Clock.h"
#include "platform/Com.h"
#include "platform/Files.h"
#include "platform/Library.h"
#include "platform/Paths.h"
#include "platform/Plugin.h"
#include "platform/Process.h"
#include "platform/Service.h"
#include "platform/Thread.h"
#include "service/UpdateCheck.h"
#include "trace/XYTrace.h"

const char* const RestarterSemaphoreName = "Global\\KARVOServiceRestarterSemaphore";
const char* const RestarterProgram = "KARVOServiceRestarter.exe";

namespace {

constexpr uint32_t UpdateIntervalMs = 3600000;
constexpr uint32_t RestarterWaitMs = 60000;
// How long a new run waits for a stale, already set stop event of an earlier
// process to go before it gives that plug-in up.
constexpr int StaleEventRetries = 30;
constexpr uint32_t StaleEventRetryMs = 1000;

// Filled by the service thread; a record's path and stop event are read by
// its plug-in thread only. The thread shares ownership of its path and record,
// so neither goes while it may still run, not even when the lists are
// destroyed at program end.
std::deque<std::shared_ptr<const std::string>> PluginPaths;
std::deque<std::shared_ptr<TThreadData>> ThreadDataList;
int32_t PluginCount = 0;

// The host's handles to the events, guarded against SignalStop on the control
// dispatcher thread. The threads wait on their own duplicates, so closing
// these never pulls an event from under a waiting thread.
std::mutex StopLock;
std::vector<plat::TEvent> StopEvents;
plat::TEvent SelfUpdateEvent;

std::mutex HooksLock;

// A copy of the hooks: detached timer threads read them while a test resets them.
TFunctionsHooks CurrentHooks() {
  std::lock_guard<std::mutex> guard(HooksLock);
  return FunctionsHooks();
}

std::string HostFolder() {
  const std::string own = CurrentHooks().ProgramFolder;
  return own.empty() ? plat::ProgramFolder() : own;
}

// Creates (or opens) a named manual-reset event for a new run. An event of
// that name that already exists and is set belongs to an earlier process
// that is still ending: starting a plug-in on it would make the plug-in stop
// at once, and resetting it would revive the old process's plug-in. So wait
// for it to go; give up (not Valid) when it stays.
plat::TEvent CreateRunEvent(const std::string& name) {
  for (int attempt = 0;; ++attempt) {
    plat::TEvent event = plat::TEvent::Create(name);
    if (!event.Valid() || !event.AlreadyExisted() || !event.IsSet()) return event;
    event.Close();
    if (attempt == StaleEventRetries) return plat::TEvent();
    plat::Clock().Sleep(StaleEventRetryMs);
  }
}

void StartPlugin(const std::shared_ptr<const std::string>& shared) {
  const std::string& path = *shared;
  plat::TEvent event = CreateRunEvent(plat::ExtractFileName(path));
  if (!event.Valid()) {
    WriteTrace(TraceError, "Plug-in not started, its stop event cannot be created: " + path);
    return;
  }
  plat::TEvent own = event.Duplicate();
  if (!own.Valid()) {
    WriteTrace(TraceError, "Plug-in not started, its stop event cannot be created: " + path);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(StopLock);
    StopEvents.push_back(std::move(event));
  }
  auto data = std::make_shared<TThreadData>();
  data->Path = &path;
  data->StopEvent = std::move(own);
  ThreadDataList.push_back(data);
  std::string error;
  if (!plat::StartThread([data, shared] { PluginThread(data.get()); }, &error)) {
    data->StopEvent.Close();
    WriteTrace(TraceError, "Plug-in not started, its thread cannot be created: " + path + " " + error);
  }
}

void StartUpdateTimer() {
  plat::TEvent event = CreateRunEvent("SelfUpdate");
  plat::TEvent own = event.Duplicate();
  if (!event.Valid() || !own.Valid()) {
    WriteTrace(TraceError, "Update timer not started, its event cannot be created");
    return;
  }
  {
    std::lock_guard<std::mutex> lock(StopLock);
    SelfUpdateEvent = std::move(event);
  }
  auto handle = std::make_shared<plat::TEvent>(std::move(own));
  std::string error;
  if (!plat::StartThread([handle] { UpdateTimerThread(std::move(*handle)); }, &error))
    WriteTrace(TraceError, "Update timer not started, its thread cannot be created: " + error);
}

// Sets every event (also after a shutdown or a stop that came before the
// events existed) and closes the host's handles.
void ReleaseEvents() {
  std::lock_guard<std::mutex> lock(StopLock);
  for (const plat::TEvent& event : StopEvents) event.Set();
  if (SelfUpdateEvent.Valid()) SelfUpdateEvent.Set();
  StopEvents.clear();
  SelfUpdateEvent.Close();
  PluginCount = 0;
}

}  // namespace

TFunctionsHooks& FunctionsHooks() {
  static TFunctionsHooks hooks;
  return hooks;
}

void ResetFunctionsHooks() {
  std::lock_guard<std::mutex> guard(HooksLock);
  FunctionsHooks() = TFunctionsHooks();
}

int32_t RunService(plat::TService& service) {
  plat::TComInit com;
  if (CheckUpdateAndRestart()) return 0;

  const std::vector<std::string> found = FindPlugins(HostFolder() + "sdll" + plat::PathDelim);
  const size_t first = PluginPaths.size();
  for (const std::string& path : found) PluginPaths.push_back(std::make_shared<const std::string>(path));
  PluginCount = static_cast<int32_t>(found.size());
  for (size_t i = first; i < PluginPaths.size(); ++i) StartPlugin(PluginPaths[i]);
  StartUpdateTimer();

  while (!service.Terminated()) {
    if (service.WaitForRequest(1000)) service.ProcessRequests(false);
  }
  ReleaseEvents();
  return 0;
}

void SignalStop() {
  std::lock_guard<std::mutex> lock(StopLock);
  for (const plat::TEvent& event : StopEvents) event.Set();
  if (SelfUpdateEvent.Valid()) SelfUpdateEvent.Set();
}

std::vector<std::string> FindPlugins(const std::string& folder) {
  std::vector<std::string> paths;
  for (const plat::TDirEntry& entry : plat::ListFolder(folder, "*.dll")) {
    if (!entry.IsDirectory) paths.push_back(folder + entry.Name);
  }
  return paths;
}

uint32_t PluginThread(TThreadData* data) {
  try {
    plat::TComInit com;
    {
      plat::TLibrary library = plat::TLibrary::Load(*data->Path);
      if (library.Valid()) {
        auto entry = reinterpret_cast<plat::TPluginExecute>(library.Symbol(plat::PluginEntryName));
        if (entry) entry(data->StopEvent.Native());
      }
    }  // unloaded on this thread, before COM goes
    data->StopEvent.Close();
  } catch (...) {
    // A plug-in failure ends only its own thread.
  }
  return 0;
}

bool CheckUpdateAndRestart() {
  const TFunctionsHooks hooks = CurrentHooks();
  const bool staged = hooks.CheckForUpdates ? hooks.CheckForUpdates() : CheckForUpdates();
  if (!staged) return false;
  plat::TSemaphore semaphore = plat::TSemaphore::Create(RestarterSemaphoreName, 0, 1);
  const std::string folder = HostFolder();
  const std::vector<std::string> args{RestarterSemaphoreName};
  if (hooks.StartRestarter)
    hooks.StartRestarter(folder + RestarterProgram, args, folder);
  else
    plat::StartProgram(folder + RestarterProgram, args, folder);
  // A time-out or a failed wait counts as the signal.
  if (semaphore.Valid()) semaphore.WaitFor(RestarterWaitMs);
  return true;
}

uint32_t UpdateTimerThread(plat::TEvent selfUpdate) {
  try {
    plat::TComInit com;
    plat::Clock().Sleep(UpdateIntervalMs);
    for (;;) {
      try {
        CheckUpdateAndRestart();  // after a hand-off the restarter's stop ends this thread
      } catch (const std::exception& e) {
        WriteTrace(TraceError, std::string("Update check failed: ") + e.what());
      } catch (...) {
        WriteTrace(TraceError, "Update check failed: Unknown error");
      }
      const plat::TWaitResult waited = selfUpdate.WaitFor(UpdateIntervalMs);
      if (waited == plat::TWaitResult::Signalled) break;
      if (waited == plat::TWaitResult::Failed) {
        // Never check back to back: sit the hour out instead.
        plat::Clock().Sleep(UpdateIntervalMs);
        if (selfUpdate.IsSet()) break;
      }
    }
  } catch (...) {
  }
  return 0;
}
