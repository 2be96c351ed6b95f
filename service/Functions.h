#pragma once
// The service host's worker loop, plug-in hosting, the hourly update timer and
// the hand-off to the restarter.
//
// Threads: RunService runs on the service thread; SignalStop on the control
// dispatcher thread; PluginThread on one thread per plug-in; UpdateTimerThread
// on its own thread. Shared state is guarded inside this unit.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Sync.h"

namespace plat {
class TService;
}

// The record a plug-in thread is given. The path points into the host's list,
// which never changes after it is filled; the stop event is the thread's own
// handle to the plug-in's event, closed by the thread when _Execute returns.
struct TThreadData {
  const std::string* Path = nullptr;
  plat::TEvent StopEvent;
};

// Name of the hand-off semaphore and the restarter's program file.
extern const char* const RestarterSemaphoreName;  // "Global\KARVOServiceRestarterSemaphore"
extern const char* const RestarterProgram;        // "KARVOServiceRestarter.exe"

// The body of the running service. Returns 0.
int32_t RunService(plat::TService& service);

// Sets every plug-in stop event and "SelfUpdate". Safe at any time, also
// before the events exist and after they are released.
void SignalStop();

// Full paths of the files matching *.dll directly in folder (which ends in a
// separator), hidden and system files included, folders skipped, in file
// system order.
std::vector<std::string> FindPlugins(const std::string& folder);

// Loads the plug-in, calls _Execute once with its stop event, unloads it.
// COM is initialised around it. Failures end the thread silently. Returns 0.
uint32_t PluginThread(TThreadData* data);

// Runs the update check; when it staged files, starts the restarter and waits
// (at most 60 s) for its signal. True when files were staged.
bool CheckUpdateAndRestart();

// The hourly update timer: one hour, a check, then an hour after each check
// ends, until selfUpdate (the thread's own handle to "SelfUpdate") is set.
// Errors escaping a check are logged; the timer goes on. Returns 0.
uint32_t UpdateTimerThread(plat::TEvent selfUpdate);

// What tests replace: the update check, how the restarter is started, and the
// folder that stands for the program folder (empty: the real one).
struct TFunctionsHooks {
  std::function<bool()> CheckForUpdates;
  std::function<bool(const std::string& program, const std::vector<std::string>& args,
                     const std::string& workingFolder)>
      StartRestarter;
  std::string ProgramFolder;
};
// Set the hooks before the service runs; reset them with ResetFunctionsHooks,
// which is safe while threads of an earlier run still read them.
TFunctionsHooks& FunctionsHooks();
void ResetFunctionsHooks();
