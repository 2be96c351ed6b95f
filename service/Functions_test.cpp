// The service host's worker loop, plug-in hosting, update timer and hand-off,
// against the test plug-ins and a stand-in restarter.
#include "service/Functions.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <stdexcept>
#include <thread>

#include "platform/Com.h"
#include "platform/FakeClock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Service.h"
#include "platform/Thread.h"
#include "tests/support/Fixtures.h"

namespace {

class THostService : public plat::TService {
 public:
  THostService() : plat::TService(plat::TServiceIdentity{"KARVOTestHost", "KARVO Test Host"}) {}
  void Execute() override { RunService(*this); }
};

// Installs hooks for one test and removes them after.
struct THooksScope {
  explicit THooksScope(const std::string& folder) { FunctionsHooks().ProgramFolder = folder; }
  ~THooksScope() { ResetFunctionsHooks(); }
};

std::string Read(const std::string& path) {
  std::string text;
  plat::ReadWholeFile(path, text);
  return text;
}

void Copy(const std::string& from, const std::string& to) {
  std::filesystem::copy_file(plat::ToPath(from), plat::ToPath(to),
                             std::filesystem::copy_options::overwrite_existing);
}

// Waits (real time, bounded) until the file holds the text.
bool WaitForText(const std::string& path, const std::string& text) {
  for (int i = 0; i < 1000; ++i) {
    if (Read(path).find(text) != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// "thread=N" of the first line starting with what.
std::string ThreadOf(const std::string& log, const std::string& what) {
  size_t at = log.find(what);
  if (at == std::string::npos) return "?";
  size_t t = log.find("thread=", at);
  return log.substr(t + 7, log.find('\n', t) - t - 7);
}

bool ExpectedComOnPluginThread() {
  bool on = false;
  std::thread([&] {
    plat::TComInit com;
    on = plat::ComInitialisedOnThisThread();
  }).join();
  return on;
}

// Threads a run leaves behind (the update timer) may still use the clock
// after a test: clocks around RunService live as long as the process.
plat::TFakeClock& LongLivedClock() {
  // Never destroyed: the detached timer threads may still use it at exit.
  static plat::TFakeClock* clock = new plat::TFakeClock(plat::TFakeClock::FromUnixSeconds(0));
  return *clock;
}

const std::string Recorder = plat::HostPath(KARVO_RECORDER_PLUGIN);
const std::string NoExecute = plat::HostPath(KARVO_NOEXECUTE_PLUGIN);

}  // namespace

TEST(FindPlugins, ListsDllFilesOnlyHiddenIncludedFoldersSkipped) {
  const std::string dir = fixtures::ScratchFolder("find");
  for (const char* name : {"a.dll", "B.DLL", ".hidden.dll", "notes.txt", "a.dll.bak"})
    plat::WriteWholeFile(dir + name, "x");
  plat::ForceDirectories(dir + "folder.dll");
  std::vector<std::string> found = FindPlugins(dir);
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, (std::vector<std::string>{dir + ".hidden.dll", dir + "B.DLL", dir + "a.dll"}));
  EXPECT_TRUE(FindPlugins(dir + "missing" + plat::PathDelim).empty());
  plat::RemoveTree(dir);
}

// Stop (through the handler's path) and shutdown (loop end only) both reach
// every plug-in; broken plug-ins end silently beside them.
TEST(RunService, HostsEachPluginOnItsOwnThreadAndStopsThem) {
  for (bool shutdown : {false, true}) {
    SCOPED_TRACE(shutdown ? "shutdown" : "stop");
    const std::string dir = fixtures::ScratchFolder(shutdown ? "host-shutdown" : "host-stop");
    const std::string sdll = dir + "sdll" + plat::PathDelim;
    plat::ForceDirectories(sdll + "folder.dll");
    Copy(Recorder, sdll + "alpha.dll");
    Copy(Recorder, sdll + "beta.dll");
    Copy(Recorder, sdll + ".gamma.dll");
    Copy(NoExecute, sdll + "noexec.dll");
    plat::WriteWholeFile(sdll + "broken.dll", "not a library");
    THooksScope hooks(dir);
    std::atomic<int> checks{0};
    FunctionsHooks().CheckForUpdates = [&] { return ++checks, false; };

    THostService service;
    std::thread worker([&] {
      service.BindServiceThread();
      service.ReportStatus(plat::TServiceState::Running);
      service.Execute();
    });
    for (const char* name : {"alpha.dll", "beta.dll", ".gamma.dll"})
      ASSERT_TRUE(WaitForText(sdll + name + ".log", "execute")) << name;
    ASSERT_TRUE(WaitForText(sdll + "noexec.dll.log", "unload"));
    plat::TEvent alpha = plat::TEvent::Open("alpha.dll");
    ASSERT_TRUE(alpha.Valid());
    EXPECT_FALSE(alpha.IsSet());

    service.Controller(shutdown ? plat::ServiceControlShutdown : plat::ServiceControlStop);
    if (!shutdown) SignalStop();
    worker.join();
    EXPECT_TRUE(service.Terminated());
    EXPECT_TRUE(alpha.IsSet());
    EXPECT_EQ(checks, 1);

    const std::string com = ExpectedComOnPluginThread() ? "com=1" : "com=0";
    std::vector<std::string> threads;
    for (const char* name : {"alpha.dll", "beta.dll", ".gamma.dll"}) {
      SCOPED_TRACE(name);
      const std::string path = sdll + name + ".log";
      ASSERT_TRUE(WaitForText(path, "unload"));
      const std::string log = Read(path);
      EXPECT_NE(log.find(com), std::string::npos) << log;
      EXPECT_NE(log.find("set=0"), std::string::npos) << log;
      // Opened by its file name, it is the same event: set together.
      EXPECT_EQ(log.find("named=1") != std::string::npos, log.find("namedset=1") != std::string::npos) << log;
      EXPECT_EQ(log.find("waitfailed"), std::string::npos);
      const std::string thread = ThreadOf(log, "load");
      EXPECT_EQ(thread, ThreadOf(log, "execute"));
      EXPECT_EQ(thread, ThreadOf(log, "unload"));
      EXPECT_NE(thread, std::to_string(plat::CurrentThreadId()));
      threads.push_back(thread);
    }
    EXPECT_NE(threads[0], threads[1]);
    EXPECT_NE(threads[1], threads[2]);
    const std::string noexec = Read(sdll + "noexec.dll.log");
    EXPECT_EQ(noexec.find("execute"), std::string::npos);
    EXPECT_EQ(ThreadOf(noexec, "load"), ThreadOf(noexec, "unload"));
  }
}

TEST(RunService, StaleSetStopEventOfAnEarlierRunIsNeverHandedToAPlugin) {
  for (bool goesAway : {false, true}) {
    SCOPED_TRACE(goesAway ? "goes away" : "stays");
    const std::string dir = fixtures::ScratchFolder("stale");
    const std::string sdll = dir + "sdll" + plat::PathDelim;
    plat::ForceDirectories(sdll);
    Copy(Recorder, sdll + "stale.dll");
    THooksScope hooks(dir);
    FunctionsHooks().CheckForUpdates = [] { return false; };
    auto stale = std::make_shared<plat::TEvent>(plat::TEvent::Create("stale.dll"));
    stale->Set();
    plat::TFakeClock& clock = LongLivedClock();
    plat::TClockOverride useClock(clock);
    if (goesAway) clock.At(clock.Now() + 5000, [stale] { stale->Close(); });

    THostService service;
    std::thread worker([&] { service.Execute(); });
    if (goesAway) {
      EXPECT_TRUE(WaitForText(sdll + "stale.dll.log", "set=0"));
    }
    service.Controller(plat::ServiceControlStop);
    worker.join();
    if (!goesAway) {
      EXPECT_FALSE(plat::FileExists(sdll + "stale.dll.log"));
    }
    stale->Close();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the plug-in sees its stop
  }
}

TEST(RunService, FilesStagedAtStartHandOffToTheRestarterAndStartNoPlugin) {
  const std::string dir = fixtures::ScratchFolder("handoff");
  const std::string sdll = dir + "sdll" + plat::PathDelim;
  plat::ForceDirectories(sdll);
  Copy(Recorder, sdll + "alpha.dll");
  Copy(plat::HostPath(KARVO_TEST_RESTARTER), dir + RestarterProgram);
  THooksScope hooks(dir);
  FunctionsHooks().CheckForUpdates = [] { return true; };

  THostService service;
  service.Execute();  // returns without a stop request
  EXPECT_FALSE(service.Terminated());
  EXPECT_FALSE(plat::FileExists(sdll + "alpha.dll.log"));
  const std::string log = Read(dir + "restarter.log");
  const std::string args = std::string("args=1\n") + RestarterSemaphoreName + "\ncwd=";
  ASSERT_EQ(log.substr(0, args.size()), args);
  const std::string cwd = log.substr(args.size(), log.size() - args.size() - 1);
  // The same folder, whatever separators the system doubles or drops.
  auto plain = [](std::string path) {
    std::string out;
    for (char c : path)
      if (!((c == '/' || c == '\\') && !out.empty() && (out.back() == '/' || out.back() == '\\'))) out += c;
    while (!out.empty() && (out.back() == '/' || out.back() == '\\')) out.pop_back();
    return out;
  };
  EXPECT_EQ(plain(cwd), plain(dir));
  plat::RemoveTree(dir);
}

TEST(CheckUpdateAndRestart, MissingRestarterWaitsTheFullMinuteThenCountsAsHandedOff) {
  THooksScope hooks(fixtures::ScratchFolder("norestarter"));
  int checks = 0;
  FunctionsHooks().CheckForUpdates = [&] { return ++checks == 1; };
  std::vector<std::string> started;
  FunctionsHooks().StartRestarter = [&](const std::string& program, const std::vector<std::string>& args,
                                        const std::string& folder) {
    started.push_back(program + "|" + args.at(0) + "|" + folder);
    return false;
  };
  plat::TFakeClock clock(plat::TFakeClock::FromUnixSeconds(0));
  plat::TClockOverride useClock(clock);
  const std::string folder = FunctionsHooks().ProgramFolder;
  EXPECT_TRUE(CheckUpdateAndRestart());
  EXPECT_EQ(clock.Now(), 60000u);
  EXPECT_FALSE(CheckUpdateAndRestart());  // nothing staged: no restarter
  EXPECT_EQ(clock.Now(), 60000u);
  EXPECT_EQ(started, (std::vector<std::string>{folder + RestarterProgram + "|" + RestarterSemaphoreName + "|" +
                                               folder}));
}

namespace {
// A clock whose waits fail at once, as on a broken handle.
class TFailingWaitClock : public plat::TFakeClock {
 public:
  TFailingWaitClock() : plat::TFakeClock(plat::TFakeClock::FromUnixSeconds(0)) {}
  plat::TWaitResult Wait(const plat::TWaitable&, uint32_t) override { return plat::TWaitResult::Failed; }
};
}  // namespace

// Check times: an hour after start, then an hour after each check ends; errors
// leaving a check do not end the timer; the set event ends it.
TEST(UpdateTimerThread, ChecksHourlyAfterEachCheckEndsAndSurvivesErrors) {
  THooksScope hooks(fixtures::ScratchFolder("timer"));
  plat::TFakeClock clock(plat::TFakeClock::FromUnixSeconds(0));
  plat::TClockOverride useClock(clock);
  plat::TEvent selfUpdate = plat::TEvent::Create(std::string());
  std::vector<uint64_t> times;
  FunctionsHooks().CheckForUpdates = [&]() -> bool {
    times.push_back(clock.Now());
    switch (times.size()) {
      case 1: clock.Sleep(600000); return false;  // a slow check moves the next one back
      case 2: throw std::runtime_error("config broken");
      case 3: throw 42;
      default: selfUpdate.Set(); return false;
    }
  };
  UpdateTimerThread(selfUpdate.Duplicate());
  EXPECT_EQ(times, (std::vector<uint64_t>{3600000, 7800000, 11400000, 15000000}));
  EXPECT_EQ(clock.Now(), 15000000u);
}

TEST(UpdateTimerThread, StopEndsTheHourlyWaitAtOnceButNotTheFirstDelay) {
  struct TCase {
    uint64_t stopAt;
    std::vector<uint64_t> checks;
    uint64_t endsAt;
  };
  for (const TCase& c : {TCase{5400000, {3600000}, 5400000}, TCase{1800000, {3600000}, 3600000}}) {
    SCOPED_TRACE(c.stopAt);
    THooksScope hooks(fixtures::ScratchFolder("timerstop"));
    plat::TFakeClock clock(plat::TFakeClock::FromUnixSeconds(0));
    plat::TClockOverride useClock(clock);
    plat::TEvent selfUpdate = plat::TEvent::Create(std::string());
    std::vector<uint64_t> times;
    FunctionsHooks().CheckForUpdates = [&] { return times.push_back(clock.Now()), false; };
    clock.At(c.stopAt, [&] { selfUpdate.Set(); });
    UpdateTimerThread(selfUpdate.Duplicate());
    EXPECT_EQ(times, c.checks);
    EXPECT_EQ(clock.Now(), c.endsAt);
  }
}

TEST(UpdateTimerThread, FailedWaitNeverLeadsToBackToBackChecks) {
  THooksScope hooks(fixtures::ScratchFolder("timerfail"));
  TFailingWaitClock clock;
  plat::TClockOverride useClock(clock);
  plat::TEvent selfUpdate = plat::TEvent::Create(std::string());
  std::vector<uint64_t> times;
  FunctionsHooks().CheckForUpdates = [&] {
    times.push_back(clock.Now());
    if (times.size() == 3) selfUpdate.Set();
    return false;
  };
  UpdateTimerThread(selfUpdate.Duplicate());
  EXPECT_EQ(times, (std::vector<uint64_t>{3600000, 7200000, 10800000}));
}

// The control handler's SignalStop against the worker loop's release step.
TEST(SignalStop, RacesTheReleaseStepSafely) {
  const std::string dir = fixtures::ScratchFolder("race");
  const std::string sdll = dir + "sdll" + plat::PathDelim;
  plat::ForceDirectories(sdll);
  for (const char* name : {"r1.dll", "r2.dll", "r3.dll"}) plat::WriteWholeFile(sdll + name, "no library");
  THooksScope hooks(dir);
  FunctionsHooks().CheckForUpdates = [] { return false; };
  plat::TClockOverride useClock(LongLivedClock());
  for (int i = 0; i < 200; ++i) {
    THostService service;
    std::thread worker([&] { service.Execute(); });
    if (i % 2) std::this_thread::yield();
    service.Controller(plat::ServiceControlStop);
    SignalStop();
    SignalStop();
    worker.join();
    SignalStop();
  }
  plat::RemoveTree(dir);
}

TEST(ServiceFramework, PauseHoldsTheServiceThreadUntilContinueAndStopWhilePausedStops) {
  THostService service;
  std::atomic<int> rounds{0};
  std::atomic<bool> woke{false};
  std::thread worker([&] {
    service.BindServiceThread();
    service.ReportStatus(plat::TServiceState::Running);
    while (!service.Terminated()) {
      // A queued code wakes the wait long before its time-out.
      if (service.WaitForRequest(60000)) {
        woke = true;
        service.ProcessRequests(false);
      }
      ++rounds;
    }
  });
  auto waitState = [&](plat::TServiceState s) {
    for (int i = 0; i < 1000 && service.State() != s; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return service.State() == s;
  };
  service.Controller(plat::ServiceControlPause);
  ASSERT_TRUE(waitState(plat::TServiceState::Paused));
  const int pausedAt = rounds;
  service.Controller(plat::ServiceControlInterrogate);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_EQ(rounds, pausedAt);  // still inside ProcessRequests
  service.Controller(plat::ServiceControlContinue);
  ASSERT_TRUE(waitState(plat::TServiceState::Running));
  for (int i = 0; i < 1000 && rounds == pausedAt; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GT(rounds, pausedAt);
  service.Controller(plat::ServiceControlPause);
  ASSERT_TRUE(waitState(plat::TServiceState::Paused));
  service.Controller(plat::ServiceControlStop);
  worker.join();
  EXPECT_TRUE(service.Terminated());
  EXPECT_TRUE(woke);
}

TEST(ServiceFramework, CommandLineSwitches) {
  struct TCase {
    std::vector<std::string> args;
    plat::TServiceRunMode mode;
    bool silent;
  };
  using M = plat::TServiceRunMode;
  for (const TCase& c : {TCase{{}, M::Run, false}, TCase{{"/INSTALL"}, M::Install, false},
                         TCase{{"-install", "/Silent"}, M::Install, true},
                         TCase{{"/uninstall", "-SILENT"}, M::Uninstall, true},
                         TCase{{"INSTALL", "SILENT"}, M::Run, false}, TCase{{"/installx"}, M::Run, false},
                         TCase{{"/"}, M::Run, false}}) {
    const plat::TServiceCommandLine got = plat::ParseServiceCommandLine(c.args);
    EXPECT_EQ(got.Mode, c.mode) << testing::PrintToString(c.args);
    EXPECT_EQ(got.Silent, c.silent) << testing::PrintToString(c.args);
  }
}
