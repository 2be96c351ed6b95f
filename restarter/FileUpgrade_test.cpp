#include "restarter/FileUpgrade.h"

#include <gtest/gtest.h>

#include "platform/FakeClock.h"
#include "restarter/RestarterTestSupport.h"
#include "restarter/ScriptedServiceManager.h"
#include "tests/support/Fixtures.h"

namespace {

using restarter_test::Content;
using restarter_test::In;
using restarter_test::Put;
using restarter_test::TraceLines;

class FileUpgradeTest : public ::testing::Test {
 protected:
  plat::TFakeClock Clock{plat::TFakeClock::FromUnixSeconds(1700000000)};
  plat::TClockOverride Override{Clock};
  TScriptedService Service;
  TScriptedServiceManager Manager{Service};
  std::string P = fixtures::ScratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());

  void SetUp() override { Service.Status.CurrentState = plat::kServiceRunning; }
  void TearDown() override { plat::RemoveTree(P); }
  void Run() { RunFileUpgrade(Manager, P); }
  std::string Staging() const { return In(P, "Update"); }
};

TEST_F(FileUpgradeTest, ReplacesExistingFileWithTraceInOrderAndRestartsService) {
  Put(P, "KARVOService.exe", "old");
  Put(P, "Update/KARVOService.exe", "new");
  Run();
  EXPECT_EQ(Content(P, "KARVOService.exe"), "new");
  EXPECT_FALSE(plat::DirectoryExists(Staging()));
  std::vector<std::string> expected = {
      "Performing file upgrade",
      "Stopping Service",
      "Updating file: KARVOService.exe",
      "Deleting existing file: " + In(P, "KARVOService.exe"),
      "Moving update file: " + In(P, "Update/KARVOService.exe") + " to: " + In(P, "KARVOService.exe"),
      "Starting Service",
  };
  EXPECT_EQ(TraceLines(P), expected);
  EXPECT_EQ(Service.StopRequests, 1);
  EXPECT_EQ(Service.StartRequests, 1);
  EXPECT_EQ(Service.Status.CurrentState, plat::kServiceRunning);
  EXPECT_EQ(Service.StartType, plat::kServiceAutoStart);
}

TEST_F(FileUpgradeTest, InstallsEachStagedFileAtItsRelativePlaceExceptTheDownloadFolder) {
  struct TCase {
    std::string Staged, Installed;  // Installed empty: must not be installed anywhere
  } cases[] = {
      {"Update/A", "A"},
      {"Update/B", "B"},
      {"Update/sdll/X.dll", "sdll/X.dll"},  // no sdll folder in P yet
      {"Update/tmp/Y", ""},
      {"Update/deep/b/Z", "deep/b/Z"},  // deeper than one folder: installed too
  };
  for (const TCase& c : cases) Put(P, c.Staged, "content of " + c.Staged);
  Run();
  for (const TCase& c : cases) {
    if (!c.Installed.empty()) EXPECT_EQ(Content(P, c.Installed), "content of " + c.Staged) << c.Staged;
  }
  EXPECT_FALSE(plat::FileExists(In(P, "tmp/Y")));
  EXPECT_FALSE(plat::FileExists(In(P, "Y")));
  EXPECT_FALSE(plat::DirectoryExists(Staging()));
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "Starting Service");
  for (const std::string& line : lines) EXPECT_EQ(line.find("Something went wrong"), std::string::npos) << line;
  // Files of sub-folders come before the files directly in Update.
  auto at = [&](const std::string& text) { return std::find(lines.begin(), lines.end(), text) - lines.begin(); };
  EXPECT_LT(at("Updating file: X.dll"), at("Updating file: A"));
  EXPECT_LT(at("Updating file: Z"), at("Updating file: B"));
}

TEST_F(FileUpgradeTest, OnlyTheLowerCaseTmpFolderIsSkipped) {
  // Alone in its run: on Windows Tmp and tmp name the same folder.
  for (const char* name : {"Tmp", "TMP"}) {
    Put(P, std::string("Update/") + name + "/W", name);
    Run();
    EXPECT_EQ(Content(P, std::string(name) + "/W"), name);
    plat::RemoveTree(In(P, name));
  }
}

TEST_F(FileUpgradeTest, EmptyStagingFolderIsRemovedAndServiceStarted) {
  plat::ForceDirectories(Staging());
  Run();
  EXPECT_FALSE(plat::DirectoryExists(Staging()));
  std::vector<std::string> expected = {"Performing file upgrade", "Stopping Service", "Starting Service"};
  EXPECT_EQ(TraceLines(P), expected);
  EXPECT_EQ(Service.Status.CurrentState, plat::kServiceRunning);
}

TEST_F(FileUpgradeTest, MissingStagingFolderRestartsService) {
  Run();
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Performing file upgrade");
  EXPECT_EQ(lines[1], "Stopping Service");
  EXPECT_EQ(lines[2].rfind("Something went wrong, restarting service: ", 0), 0u) << lines[2];
  EXPECT_NE(lines[2].find("Update"), std::string::npos) << "the message names the folder";
  EXPECT_EQ(Service.Status.CurrentState, plat::kServiceRunning);
  EXPECT_EQ(Service.StartType, plat::kServiceAutoStart);
}

TEST_F(FileUpgradeTest, FailedMoveLeavesRestStagedAndRestartsService) {
  Put(P, "Update/sdll/X.dll", "x");
  Put(P, "Update/A", "a");
  plat::ForceDirectories(In(P, "A"));  // a folder in the way: the move of A fails
  Put(P, "A/keep", "k");
  Run();
  EXPECT_EQ(Content(P, "sdll/X.dll"), "x") << "moved before the error, stays moved";
  EXPECT_EQ(Content(P, "Update/A"), "a") << "not moved stays staged";
  EXPECT_EQ(Content(P, "A/keep"), "k");
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Something went wrong, restarting service: ", 0), 0u) << lines.back();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Starting Service"), 0);
  EXPECT_EQ(Service.Status.CurrentState, plat::kServiceRunning);
}

TEST_F(FileUpgradeTest, RefusedStartIsLoggedAndRunEnds) {
  plat::ForceDirectories(Staging());
  Service.StartRefused = true;
  Run();
  std::vector<std::string> lines = TraceLines(P);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(lines[2], "Starting Service");
  EXPECT_EQ(lines[3].rfind("Service could not be started: ", 0), 0u) << lines[3];
  EXPECT_EQ(Service.StartRequests, 1) << "Start is not retried outside the error path";
  EXPECT_EQ(Service.Status.CurrentState, plat::kServiceStopped);
}

}  // namespace
