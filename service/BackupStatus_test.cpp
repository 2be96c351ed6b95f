#include "service/BackupStatus.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/Fixtures.h"

namespace {

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t p = text.find(part); p != std::string::npos; p = text.find(part, p + 1)) ++n;
  return n;
}

TEST(VerifyBackupStatus, RunsTheProcedureOnceWithTheGivenApplicationName) {
  ASSERT_NE(fixtures::Port("KARVO_STANDIN_DIR"), 0);
  fixtures::SetStandInScript("{}");
  const std::string ini = plat::ProgramFolder() + "server.ini";
  plat::WriteWholeFile(ini, fixtures::ServerIniText(fixtures::StandInAddress()));
  VerifyBackupStatus("KARVO Service");
  plat::RemoveFile(ini);
  const std::string record = fixtures::StandInRecord();
  EXPECT_EQ(Count(record, "\"proc\": \"PVerifyBackupStatus\""), 1u) << record;
  EXPECT_EQ(Count(record, "\"params\": []"), 1u) << "called without parameters: " << record;
  EXPECT_NE(record.find("\"app\": \"KARVO Service\""), std::string::npos);
  EXPECT_NE(record.find("\"database\": \"FendraMDF\""), std::string::npos);
}

TEST(VerifyBackupStatus, FailuresAreSwallowed) {
  const std::string ini = plat::ProgramFolder() + "server.ini";
  fixtures::SetStandInScript(R"({"procedures": {"PVerifyBackupStatus": {"drop": true}}})");
  plat::WriteWholeFile(ini, fixtures::ServerIniText(fixtures::StandInAddress()));
  VerifyBackupStatus("KARVO Service");  // a dropped connection
  plat::RemoveFile(ini);
  EXPECT_EQ(Count(fixtures::StandInRecord(), "PVerifyBackupStatus"), 1u);
  fixtures::SetStandInScript("{}");
  VerifyBackupStatus("KARVO Service");  // no server.ini: nothing is asked
  EXPECT_EQ(fixtures::StandInRecord(), "");
}

}  // namespace
