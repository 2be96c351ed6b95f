// The real restarter under Wine against the real service control manager, with
// a small test service installed as KARVOService (removed before and after).
#include <gtest/gtest.h>

#include "platform/AnsiProcess.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/ServiceManager.h"
#include "platform/Sync.h"
#include "platform/Text.h"
#include "restarter/RestarterTestSupport.h"

namespace {

using restarter_test::Content;
using restarter_test::In;
using restarter_test::Put;
using restarter_test::TraceLines;

const char* const kService = "KARVOService";

class RestarterWine : public ::testing::Test {
 protected:
  std::string Sc = plat::AnsiToUtf8(plat::SystemFolderAnsi()) + "\\sc.exe";
  std::string P = "C:\\karvo-restarter-test\\";

  int ScRun(const std::vector<std::string>& args) { return plat::RunAndWait(Sc, args); }
  void RemoveService() {
    ScRun({"stop", kService});
    WaitForState(plat::kServiceStopped, 10000);
    ScRun({"delete", kService});
  }
  // The service's state, 0 when it cannot be queried.
  uint32_t State() {
    auto manager = plat::SystemServiceManager().OpenManager();
    if (!manager) return 0;
    auto service = manager->OpenServiceByName(kService);
    plat::TServiceStatus status;
    return service && service->QueryStatus(status) ? status.CurrentState : 0;
  }
  bool WaitForState(uint32_t state, uint32_t ms) {
    for (uint32_t waited = 0; waited < ms; waited += 100) {
      if (State() == state) return true;
      plat::SystemClock().Sleep(100);
    }
    return State() == state;
  }
  void SetUp() override {
    RemoveService();
    plat::RemoveTree(P);
    plat::ForceDirectories(P);
    std::string service = plat::HostPath(TEST_SERVICE_EXE);
    ASSERT_EQ(ScRun({"create", kService, "binPath=", service, "start=", "auto"}), 0);
  }
  void TearDown() override {
    RemoveService();
    plat::RemoveTree(P);
  }
  int RunRestarter() {
    std::string bytes;
    EXPECT_TRUE(plat::ReadWholeFile(plat::HostPath(RESTARTER_EXE), bytes));
    EXPECT_TRUE(plat::WriteWholeFile(P + "KARVOServiceRestarter.exe", bytes));
    return plat::RunAndWait(P + "KARVOServiceRestarter.exe", {"Global\\KARVOServiceRestarterSemaphore"}, P);
  }
};

TEST_F(RestarterWine, StopsServiceInstallsStagedFilesAndStartsItAgain) {
  ASSERT_EQ(ScRun({"start", kService}), 0);
  ASSERT_TRUE(WaitForState(plat::kServiceRunning, 10000));
  Put(P, "A.txt", "old");
  Put(P, "Update/A.txt", "new");
  Put(P, "Update/sdll/X.dll", "x");
  Put(P, "Update/tmp/partial", "p");
  plat::TSemaphore handOff = plat::TSemaphore::Create("Global\\KARVOServiceRestarterSemaphore", 0, 1);
  ASSERT_TRUE(handOff.Valid());

  EXPECT_EQ(RunRestarter(), 0);

  EXPECT_EQ(handOff.WaitNative(0), plat::TWaitResult::Signalled) << "the hand-off semaphore was released";
  EXPECT_EQ(Content(P, "A.txt"), "new");
  EXPECT_EQ(Content(P, "sdll/X.dll"), "x");
  EXPECT_FALSE(plat::DirectoryExists(P + "Update"));
  EXPECT_FALSE(plat::FileExists(P + "tmp\\partial"));
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front(), "Performing file upgrade");
  EXPECT_EQ(lines[1], "Stopping Service");
  EXPECT_EQ(lines.back(), "Starting Service");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Deleting existing file: " + P + "A.txt"), lines.end());
  EXPECT_EQ(State(), plat::kServiceRunning);
}

TEST_F(RestarterWine, MissingStagingFolderStartsStoppedService) {
  EXPECT_EQ(RunRestarter(), 0);  // no semaphore, no Update: both fine
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[2].rfind("Something went wrong, restarting service: ", 0), 0u) << lines[2];
  EXPECT_EQ(State(), plat::kServiceRunning);
}

}  // namespace
