#pragma once
// A service manager for tests: one scripted service whose state moves with the
// fake clock, and a record of what the controller asked for and when.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/ServiceManager.h"

struct TScriptedService {
  std::string Name = "KARVOService";
  plat::TServiceStatus Status;
  uint32_t StartType = plat::kServiceAutoStart;
  bool ManagerOpens = true;
  bool StartRefused = false;
  bool StopRefused = false;
  // Time a start or stop takes to complete once requested (ms of fake time);
  // the service reports a pending state with this wait hint meanwhile.
  uint32_t TransitionMs = 2000;
  // Called at every status query with the fake time, to script the service.
  std::function<void(plat::TServiceStatus&, uint64_t)> Evolve;

  // What happened, in order: "open", "query@<ms>", "start", "stop", "type=<n>", "close".
  std::vector<std::string> Calls;
  std::vector<uint64_t> QueryTimes;
  int StartRequests = 0;
  int StopRequests = 0;
  int OpenHandles = 0;  // handles open now (connections and services)

  // Internal: pending transition.
  uint64_t TransitionEnd = 0;
  uint32_t TransitionTarget = 0;
};

class TScriptedServiceManager : public plat::IServiceManager {
 public:
  explicit TScriptedServiceManager(TScriptedService& service) : S_(service) {}
  std::unique_ptr<plat::IServiceManagerConnection> OpenManager() override;

 private:
  TScriptedService& S_;
};

inline uint64_t FakeNow() { return plat::Clock().MonotonicMs(); }

namespace scripted_detail {

class THandle : public plat::IServiceHandle {
 public:
  explicit THandle(TScriptedService& s) : S_(s) { ++S_.OpenHandles; }
  ~THandle() override {
    --S_.OpenHandles;
    S_.Calls.push_back("close");
  }
  bool QueryStatus(plat::TServiceStatus& status) override {
    uint64_t now = FakeNow();
    if (S_.TransitionTarget && now >= S_.TransitionEnd) {
      S_.Status.CurrentState = S_.TransitionTarget;
      S_.Status.CheckPoint = 0;
      S_.Status.WaitHint = 0;
      S_.TransitionTarget = 0;
    }
    if (S_.Evolve) S_.Evolve(S_.Status, now);
    S_.Calls.push_back("query@" + std::to_string(now));
    S_.QueryTimes.push_back(now);
    status = S_.Status;
    return true;
  }
  bool Start(std::string& error) override {
    ++S_.StartRequests;
    S_.Calls.push_back("start");
    if (S_.StartRefused || S_.Status.CurrentState != plat::kServiceStopped) {
      error = "The service did not respond to the start or control request in a timely fashion.";
      return false;
    }
    Begin(plat::kServiceStartPending, plat::kServiceRunning);
    return true;
  }
  bool SendStop() override {
    ++S_.StopRequests;
    S_.Calls.push_back("stop");
    if (S_.StopRefused || S_.Status.CurrentState != plat::kServiceRunning) return false;
    Begin(plat::kServiceStopPending, plat::kServiceStopped);
    return true;
  }
  bool SetStartType(uint32_t startType) override {
    S_.Calls.push_back("type=" + std::to_string(startType));
    S_.StartType = startType;
    return true;
  }

 private:
  void Begin(uint32_t pending, uint32_t target) {
    S_.Status.CurrentState = pending;
    S_.Status.CheckPoint = 1;
    S_.Status.WaitHint = S_.TransitionMs;
    S_.TransitionTarget = target;
    S_.TransitionEnd = FakeNow() + S_.TransitionMs;
  }
  TScriptedService& S_;
};

class TConnection : public plat::IServiceManagerConnection {
 public:
  explicit TConnection(TScriptedService& s) : S_(s) { ++S_.OpenHandles; }
  ~TConnection() override { --S_.OpenHandles; }
  std::unique_ptr<plat::IServiceHandle> OpenServiceByName(const std::string& name) override {
    if (name != S_.Name) return nullptr;
    S_.Calls.push_back("open");
    return std::make_unique<THandle>(S_);
  }

 private:
  TScriptedService& S_;
};

}  // namespace scripted_detail

inline std::unique_ptr<plat::IServiceManagerConnection> TScriptedServiceManager::OpenManager() {
  if (!S_.ManagerOpens) return nullptr;
  return std::make_unique<scripted_detail::TConnection>(S_);
}
