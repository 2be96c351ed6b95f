#include "restarter/ServiceController.h"

#include <gtest/gtest.h>

#include "platform/FakeClock.h"
#include "restarter/ScriptedServiceManager.h"

namespace {

using plat::kServiceRunning;
using plat::kServiceStartPending;
using plat::kServiceStopped;
using plat::kServiceStopPending;

class ServiceControllerTest : public ::testing::Test {
 protected:
  plat::TFakeClock Clock{plat::TFakeClock::FromUnixSeconds(1700000000)};
  plat::TClockOverride Override{Clock};
  TScriptedService Service;
  TScriptedServiceManager Manager{Service};
  std::vector<std::string> Reports;
  TServiceController Controller{Manager, "KARVOService", [this](const std::string& e) { Reports.push_back(e); }};

  void InState(uint32_t state, uint32_t waitHint = 0, uint32_t checkPoint = 0) {
    Service.Status.CurrentState = state;
    Service.Status.WaitHint = waitHint;
    Service.Status.CheckPoint = checkPoint;
  }
  bool Called(const std::string& call) const {
    return std::find(Service.Calls.begin(), Service.Calls.end(), call) != Service.Calls.end();
  }
};

TEST_F(ServiceControllerTest, SettledServiceAnswersAtOnceWithoutRequests) {
  InState(kServiceRunning);
  EXPECT_TRUE(Controller.Start());
  InState(kServiceStopped);
  EXPECT_TRUE(Controller.Stop(true));
  EXPECT_EQ(Clock.Now(), 0u) << "no poll for a service already in the wanted state";
  EXPECT_EQ(Service.StartRequests + Service.StopRequests, 0);
  EXPECT_EQ(Service.StartType, plat::kServiceAutoStart);
  EXPECT_FALSE(Called("type=2") || Called("type=3"));
  EXPECT_EQ(Service.OpenHandles, 0);
}

TEST_F(ServiceControllerTest, StartOfStoppedServicePollsOnceThenStartsAutomaticAndWaitsWhilePending) {
  InState(kServiceStopped, 0);
  Service.StartType = plat::kServiceDemandStart;
  EXPECT_TRUE(Controller.Start());
  // One 1000 ms poll of the stopped service, the request, then polls while it
  // is start pending (wait hint 2000 -> 1000 ms) until it runs at 3000.
  std::vector<std::string> expected = {"open",  "query@0", "query@1000", "start",      "type=2",
                                       "query@1000", "query@2000", "query@3000", "close"};
  EXPECT_EQ(Service.Calls, expected);
  EXPECT_EQ(Service.StartType, plat::kServiceAutoStart);
  EXPECT_EQ(Service.OpenHandles, 0);
}

TEST_F(ServiceControllerTest, StartOnStartPendingFailsWithoutWaiting) {
  InState(kServiceStartPending, 30000, 1);
  EXPECT_FALSE(Controller.Start());
  EXPECT_EQ(Clock.Now(), 0u);
  EXPECT_EQ(Service.StartRequests, 0);
}

TEST_F(ServiceControllerTest, StopOnStartPendingWaitsUntilRunningThenStops) {
  InState(kServiceStartPending, 4000, 1);
  Service.Evolve = [](plat::TServiceStatus& s, uint64_t now) {
    if (s.CurrentState == kServiceStartPending && now >= 3000) s = plat::TServiceStatus{0, kServiceRunning};
  };
  EXPECT_TRUE(Controller.Stop(false));
  EXPECT_EQ(Service.StopRequests, 1);
  EXPECT_EQ(Service.QueryTimes.at(3), 3000u) << "polled at 1000, 2000, 3000 before the stop";
  EXPECT_EQ(Service.Status.CurrentState, kServiceStopped);
}

TEST_F(ServiceControllerTest, StopSetsManualStartOnlyWhenAskedAndAccepted) {
  struct TCase {
    bool SetDemandStart;
    bool Refused;
    uint32_t ExpectedType;
    bool ExpectedResult;
  } cases[] = {
      {false, false, plat::kServiceAutoStart, true},
      {true, false, plat::kServiceDemandStart, true},
      {true, true, plat::kServiceAutoStart, false},
  };
  for (const TCase& c : cases) {
    Service = TScriptedService();
    InState(kServiceRunning);
    Service.StopRefused = c.Refused;
    EXPECT_EQ(Controller.Stop(c.SetDemandStart), c.ExpectedResult) << c.SetDemandStart << c.Refused;
    EXPECT_EQ(Service.StartType, c.ExpectedType) << c.SetDemandStart << c.Refused;
    EXPECT_EQ(Service.StopRequests, 1);
  }
}

// A service stuck in stop pending whose check-point moves once, at progressAt.
TEST_F(ServiceControllerTest, PollIntervalFollowsWaitHintAndStallEndsTheWait) {
  struct TCase {
    uint32_t WaitHint;
    uint64_t ProgressAt;  // 0: never
    uint64_t Poll;
    uint64_t LastQuery;  // first poll more than WaitHint after the last progress
  } cases[] = {
      {0, 0, 1000, 1000},
      {5000, 0, 1000, 6000},
      {30000, 0, 3000, 33000},
      {30000, 9000, 3000, 42000},  // 30 s counted from the last check-point change
      {200000, 0, 10000, 210000},
  };
  for (const TCase& c : cases) {
    Service = TScriptedService();
    InState(kServiceStopPending, c.WaitHint, 1);
    uint64_t begin = Clock.Now();
    Service.Evolve = [c, begin](plat::TServiceStatus& s, uint64_t now) {
      if (c.ProgressAt && now - begin >= c.ProgressAt) s.CheckPoint = 2;
    };
    EXPECT_FALSE(Controller.Stop(false)) << c.WaitHint;
    std::vector<uint64_t> times;
    for (uint64_t t : Service.QueryTimes) times.push_back(t - begin);
    ASSERT_GE(times.size(), 2u);
    for (size_t i = 1; i < times.size(); ++i) ASSERT_EQ(times[i] - times[i - 1], c.Poll) << c.WaitHint;
    EXPECT_EQ(times.back(), c.LastQuery) << c.WaitHint << " progress " << c.ProgressAt;
    EXPECT_EQ(Service.StopRequests, 0);
  }
}

TEST_F(ServiceControllerTest, RestartWithRefusedStartTriesTwiceAndLeavesServiceStoppedManual) {
  InState(kServiceRunning);
  Service.StartRefused = true;
  EXPECT_FALSE(Controller.Restart(true));
  EXPECT_EQ(Service.StopRequests, 1);
  EXPECT_EQ(Service.StartRequests, 2);
  EXPECT_EQ(Reports.size(), 2u) << "the refusal is reported once per attempt";
  EXPECT_FALSE(Reports[0].empty());
  EXPECT_EQ(Service.Status.CurrentState, kServiceStopped);
  EXPECT_EQ(Service.StartType, plat::kServiceDemandStart);
  EXPECT_EQ(Service.OpenHandles, 0);
}

TEST_F(ServiceControllerTest, RestartAttemptsAndStartTypeOnStoppedService) {
  struct TCase {
    bool Retry;
    bool Refused;
    int StartRequests;
    bool Result;
  } cases[] = {{false, true, 1, false}, {true, true, 2, false}, {true, false, 1, true}};
  for (const TCase& c : cases) {
    Service = TScriptedService();
    InState(kServiceStopped);
    Service.StartRefused = c.Refused;
    EXPECT_EQ(Controller.Restart(c.Retry), c.Result);
    EXPECT_EQ(Service.StartRequests, c.StartRequests) << c.Retry << c.Refused;
    EXPECT_EQ(Service.StartType, plat::kServiceAutoStart) << "a stopped service keeps its start type";
    EXPECT_EQ(Service.StopRequests, 0);
  }
}

TEST_F(ServiceControllerTest, UnreachableOrUnusualServiceIsLeftAlone) {
  Service.ManagerOpens = false;
  EXPECT_FALSE(Controller.Start());
  EXPECT_FALSE(Controller.Stop(true));
  Service = TScriptedService();
  Service.Name = "OtherService";
  EXPECT_FALSE(Controller.Restart(true));
  Service = TScriptedService();
  InState(7);  // paused
  EXPECT_FALSE(Controller.Start());
  EXPECT_FALSE(Controller.Stop(true));
  EXPECT_EQ(Service.StartRequests + Service.StopRequests, 0);
  EXPECT_EQ(Service.OpenHandles, 0);
  EXPECT_EQ(Clock.Now(), 0u);
}

}  // namespace
