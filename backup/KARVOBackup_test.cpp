// The backup cycle against the stand-in SQL Server, on a fake clock: the
// database calls are real, the minutes between the cycles are not.
#include "backup/KARVOBackup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FakeClock.h"
#include "platform/Library.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tests/support/Fixtures.h"
#include "trace/XYTrace.h"

namespace {

constexpr uint64_t kMinute = 60000;

class BackupCycleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(fixtures::Port("KARVO_STANDIN_DIR"), 0) << "the stand-in SQL Server is not running";
    Logs = fixtures::ScratchFolder("backup-logs");
    SetTraceFolder(Logs);
    SetTraceLevel(TraceProgress);
    fixtures::SetStandInScript("{}");
    WriteServerIni(fixtures::StandInAddress());
    Stop = plat::TEvent::Create("");
  }
  void TearDown() override {
    SetBackupCycleHook(nullptr);
    SetTraceFolder(std::string());
    plat::RemoveFile(plat::ProgramFolder() + "server.ini");
    plat::RemoveTree(Logs);
  }

  static void WriteServerIni(const std::string& address, bool log = false) {
    plat::WriteWholeFile(plat::ProgramFolder() + "server.ini",
                         fixtures::ServerIniText(address, std::string("[Debug]\r\nLog=") + (log ? "1" : "0") + "\r\n"));
  }

  // The trace lines so far as "mm:ss text" (the fake day starts at 10:00:00).
  std::vector<std::string> Lines() {
    std::vector<std::string> out;
    const std::string all = fixtures::ReadTraceFolder(Logs);
    size_t pos = 0;
    while (pos < all.size()) {
      size_t end = all.find("\r\n", pos);
      std::string line = all.substr(pos, end - pos);
      // A result text has line breaks of its own; keep it in one entry.
      while (end != std::string::npos && end + 2 < all.size() && all[end + 2] == '\t') {
        size_t next = all.find("\r\n", end + 2);
        line += all.substr(end, next - end);
        end = next;
      }
      out.push_back(line.substr(3));  // drop the hour
      if (end == std::string::npos) break;
      pos = end + 2;
    }
    return out;
  }

  static std::vector<std::string> Grep(const std::vector<std::string>& lines, const std::string& part) {
    std::vector<std::string> out;
    for (const auto& l : lines)
      if (l.find(part) != std::string::npos) out.push_back(l.substr(0, 5));
    return out;
  }

  static size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
    return n;
  }

  // Runs the cycles until the fake clock reaches stopAt.
  void RunUntil(uint64_t stopAt) {
    Clock.At(stopAt, [this] { Stop.Set(); });
    RunBackupCycles(Stop);
  }

  plat::TFakeClock Clock{plat::TFakeClock::FromUnixSeconds(1714557600)};  // 2024-05-01 10:00:00
  plat::TClockOverride UseClock{Clock};
  std::string Logs;
  plat::TEvent Stop;
};

TEST_F(BackupCycleTest, UnreachableServerIsRetriedEveryMinuteUntilItAnswers) {
  fixtures::SetStandInScript(R"({"password": "not the system's"})");  // every login is refused
  Clock.At(2 * kMinute + 30000, [] { fixtures::SetStandInScript("{}"); });
  RunUntil(19 * kMinute);
  const auto lines = Lines();
  EXPECT_EQ(Grep(lines, "SQL Server address: " + fixtures::StandInAddress()), std::vector<std::string>{"00:00"});
  EXPECT_EQ(Grep(lines, "Connection failed. Invalid SQL server address (" + fixtures::StandInAddress() + ")"),
            (std::vector<std::string>{"00:00", "01:00", "02:00"}));
  EXPECT_EQ(Grep(lines, "Connection successful ("), std::vector<std::string>{"03:00"});
  EXPECT_EQ(Count(fixtures::StandInRecord(), "\"PRunBackup\""), 4u) << "at 3, 8, 13 and 18 minutes";
  EXPECT_EQ(Clock.Now(), 19 * kMinute) << "a stop during the wait returns at once";
  const std::string record = fixtures::StandInRecord();
  EXPECT_NE(record.find("\"app\": \"" + BackupAppName() + "\""), std::string::npos) << record;
}

TEST_F(BackupCycleTest, AChangedAddressIsReportedAndConnectionSuccessfulFollowsAgain) {
  const std::string port = std::to_string(fixtures::Port("KARVO_STANDIN_DIR"));
  Clock.At(7 * kMinute, [&] { WriteServerIni("127.1," + port); });  // the same server, written another way
  RunUntil(11 * kMinute);
  const auto lines = Lines();
  EXPECT_EQ(Grep(lines, "SQL Server address changed: 127.1," + port), std::vector<std::string>{"10:00"});
  EXPECT_EQ(Grep(lines, "Connection successful ("), (std::vector<std::string>{"00:00", "10:00"}));
}

TEST_F(BackupCycleTest, AnOldDatabaseGetsTheVersionErrorAndNoBackup) {
  fixtures::SetStandInScript(R"({"ustawienia": {"ver_instal": "4v3v000", "release": "99"}})");
  RunUntil(11 * kMinute);
  EXPECT_EQ(Grep(Lines(), "KARVO Backup thread: Fendra version error (" + fixtures::StandInAddress() + ")"),
            (std::vector<std::string>{"00:00", "05:00", "10:00"}));
  EXPECT_EQ(Count(fixtures::StandInRecord(), "PRunBackup"), 0u);
}

TEST_F(BackupCycleTest, ServerErrorsAreWrittenAndThePeriodStays) {
  fixtures::SetStandInScript(
      R"({"procedures": {"PRunBackup": {"errors": [[50000, "Backup device full"], [3013, "BACKUP DATABASE is terminating abnormally."]]}}})");
  RunUntil(6 * kMinute);
  const auto lines = Lines();
  const auto errors = Grep(lines, "[Executing procedure] ");
  EXPECT_EQ(errors, (std::vector<std::string>{"00:00", "05:00"}));
  bool both = false;
  for (const auto& l : lines)
    both = both || (l.find("Error Code: 50000. ") != std::string::npos &&
                    l.find(", Error Code: 3013. ") != std::string::npos);
  EXPECT_TRUE(both);
}

TEST_F(BackupCycleTest, TheDecodedResultIsWritten) {
  fixtures::SetStandInScript(R"({"procedures": {"PRunBackup": {"return": 131, "message": "2 files"}}})");
  RunUntil(1 * kMinute);
  const auto lines = Lines();
  EXPECT_EQ(Grep(lines, "\r\n\tDatabase FendraMDF backup succcessful 2 files"), std::vector<std::string>{"00:00"});
}

TEST_F(BackupCycleTest, NothingToReportWritesNothingUnlessLogIsOn) {
  RunUntil(1 * kMinute);
  EXPECT_TRUE(Grep(Lines(), "Procedure executed").empty());
  WriteServerIni(fixtures::StandInAddress(), true);
  Stop.Reset();
  RunUntil(2 * kMinute);
  EXPECT_EQ(Grep(Lines(), "Procedure executed - ProcResult = 0"), std::vector<std::string>{"01:00"});
}

TEST_F(BackupCycleTest, ALongCycleIsFollowedAtOnceAndWallClockJumpsDoNotMatter) {
  int cycle = 0;
  SetBackupCycleHook([&] {
    if (++cycle == 1) Clock.Advance(7 * kMinute);         // a long backup
    if (cycle == 2) Clock.ShiftWallClock(-60 * kMinute);  // the wall clock set back an hour
  });
  RunUntil(13 * kMinute);
  EXPECT_EQ(cycle, 3) << "cycles at 0, 7 (at once after the long one) and 12 minutes";
}

TEST_F(BackupCycleTest, AStopDuringACycleReturnsWhenItsWaitBegins) {
  int cycle = 0;
  SetBackupCycleHook([&] {
    if (++cycle == 2) Stop.Set();
  });
  RunBackupCycles(Stop);
  EXPECT_EQ(cycle, 2);
  EXPECT_EQ(Clock.Now(), 5 * kMinute);
}

}  // namespace

namespace {

// The plug-in keeps its own trace log: its load must not move the host's,
// as it would if the library bound to the host's copy of the trace unit.
TEST(BackupPlugin, KeepsItsOwnTraceLogBesideTheHosts) {
  const std::string hostLogs = fixtures::ScratchFolder("host-logs");
  const std::string pluginLogs = plat::ProgramFolder() + "Logs" + plat::PathDelim + "Backup" + plat::PathDelim;
  plat::RemoveTree(pluginLogs);
  SetTraceFolder(hostLogs);
  SetTraceLevel(TraceProgress);
  {
    plat::TLibrary plugin = plat::TLibrary::Load(plat::HostPath(KARVO_BACKUP_PLUGIN));
    ASSERT_TRUE(plugin.Valid()) << plugin.Error();
    EXPECT_NE(plugin.Symbol("_Execute"), nullptr);
    WriteTrace(TraceProgress, "host line");
  }
  SetTraceFolder(std::string());
  const std::string host = fixtures::ReadTraceFolder(hostLogs), plugin = fixtures::ReadTraceFolder(pluginLogs);
  EXPECT_NE(host.find("host line"), std::string::npos) << host;
  EXPECT_EQ(host.find("(Backup)"), std::string::npos) << host;
  EXPECT_NE(plugin.find(BackupAppName() + " loaded (Ver: "), std::string::npos) << plugin;
  EXPECT_NE(plugin.find(BackupAppName() + " unloaded"), std::string::npos) << plugin;
  EXPECT_EQ(plugin.find("host line"), std::string::npos) << plugin;
  plat::RemoveTree(hostLogs);
  plat::RemoveTree(pluginLogs);
}

}  // namespace
