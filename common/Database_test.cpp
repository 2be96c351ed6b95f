// The database access functions against the stand-in SQL Server, through the
// real ODBC driver (FreeTDS; under Wine through Wine's odbc32).
#include "common/Database.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/Fixtures.h"

namespace {

std::string MainConnectionString(const std::string& app, const std::string& address = fixtures::StandInAddress()) {
  return BuildConnectionString(address, kDbLoginName, kDbPassword, app, kMainDatabase);
}

size_t Count(const std::string& text, const std::string& part) {
  size_t n = 0;
  for (size_t pos = text.find(part); pos != std::string::npos; pos = text.find(part, pos + 1)) ++n;
  return n;
}

class DatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(fixtures::Port("KARVO_STANDIN_DIR"), 0) << "the stand-in is not running";
    // This test binary has a folder of its own; its server.ini names the
    // stand-in and the driver that reaches it on both targets.
    ASSERT_TRUE(plat::WriteWholeFile(plat::ProgramFolder() + "server.ini",
                                     fixtures::ServerIniText(fixtures::StandInAddress())));
    fixtures::SetStandInScript("{}");
  }
  void TearDown() override { fixtures::SetStandInScript("{}"); }
};

TEST(BuildConnectionString, IsThePlainConcatenationWithTheAddressLastAndUnchanged) {
  EXPECT_EQ(BuildConnectionString("DBHOST\\SQLEXPRESS", kDbLoginName, kDbPassword, "KARVO Service", kMainDatabase),
            "Provider=SQLOLEDB.1;OLE DB Services=-4;Password=qzm7Wk#ab;APP=KARVO Service;"
            "Persist Security Info=True;User ID=FendraUser;Initial Catalog=FendraMDF;"
            "Data Source=DBHOST\\SQLEXPRESS");
}

TEST(FormatProcedureError, PiecesForEachKindOfFailure) {
  EXPECT_EQ(FormatProcedureError("M", false, {{1, "x"}}), "[Executing procedure] M Connection error");
  EXPECT_EQ(FormatProcedureError("M", true, {}), "[Executing procedure] M Unknown error");
  EXPECT_EQ(FormatProcedureError("M", true, {{50000, "D"}}), "[Executing procedure] M Error Code: 50000. D");
  EXPECT_EQ(FormatProcedureError("M", true, {{1, "A"}, {-2, "B"}}),
            "[Executing procedure] M Error Code: 1. A, Error Code: -2. B");
}

TEST_F(DatabaseTest, TestServerConnectionWithAnEmptyAddressTriesNothing) {
  EXPECT_FALSE(TestServerConnection("", "KARVO Service"));
  EXPECT_EQ(fixtures::StandInRecord().find("\"login\""), std::string::npos);
}

TEST_F(DatabaseTest, TestServerConnectionLogsInToTheMainDatabaseWithTheAppName) {
  EXPECT_TRUE(TestServerConnection(fixtures::StandInAddress(), "KARVO Service"));
  const std::string record = fixtures::StandInRecord();
  EXPECT_NE(record.find("\"user\": \"FendraUser\""), std::string::npos) << record;
  EXPECT_NE(record.find("\"database\": \"FendraMDF\""), std::string::npos) << record;
  EXPECT_NE(record.find("\"app\": \"KARVO Service\""), std::string::npos) << record;
  EXPECT_NE(record.find("\"ok\": true"), std::string::npos) << record;
}

TEST_F(DatabaseTest, TestServerConnectionIsFalseForARefusedLogin) {
  fixtures::SetStandInScript(R"({"password": "another one"})");
  EXPECT_FALSE(TestServerConnection(fixtures::StandInAddress(), "KARVO Service"));
  EXPECT_NE(fixtures::StandInRecord().find("\"ok\": false"), std::string::npos);
}

TEST_F(DatabaseTest, TestServerConnectionGivesUpOnASilentServerAfterAboutThreeSeconds) {
  fixtures::SetStandInScript(R"({"silent": true})");
  auto start = std::chrono::steady_clock::now();
  bool result = true;
  EXPECT_NO_THROW(result = TestServerConnection(fixtures::StandInAddress(), "KARVO Service"));
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_FALSE(result);
  EXPECT_GE(seconds, 2.5);
  EXPECT_LE(seconds, 7.0);
}

TEST_F(DatabaseTest, AddressWithConnectionSyntaxCannotAddKeys) {
  // Were the address spliced in, "Port=" would point the driver at the stand-in.
  const std::string port = std::to_string(fixtures::Port("KARVO_STANDIN_DIR"));
  EXPECT_FALSE(TestServerConnection("127.0.0.2;Server=127.0.0.1;Port=" + port, "KARVO Service"));
  EXPECT_FALSE(TestServerConnection("x}};Server={127.0.0.1};Port=" + port, "KARVO Service"));
  EXPECT_EQ(fixtures::StandInRecord().find("\"login\""), std::string::npos);
}

TEST_F(DatabaseTest, TestConnectionStringOnAnOpenConnectionIsTrueAndLeavesItClosed) {
  auto connection = CreateDbConnection(MainConnectionString("t"));
  connection->Open();
  ASSERT_TRUE(connection->Connected());
  EXPECT_TRUE(TestConnectionString(*connection, MainConnectionString("t")));
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, CreateMainDbConnectionUsesTheServerOfServerIniUnopened) {
  auto connection = CreateMainDbConnection("KARVOService");
  EXPECT_EQ(connection->ConnectionString(), MainConnectionString("KARVOService"));
  EXPECT_FALSE(connection->Connected());
  EXPECT_EQ(fixtures::StandInRecord(), "");
  plat::RemoveFile(plat::ProgramFolder() + "server.ini");
  EXPECT_EQ(CreateMainDbConnection("KARVOService")->ConnectionString(), MainConnectionString("KARVOService", ""));
}

TEST_F(DatabaseTest, ProcedureSuccessLeavesReturnValueAndMessageReadable) {
  fixtures::SetStandInScript(R"({"procedures": {"PRunBackup": {"return": 6, "message": "Backup done"}}})");
  auto connection = CreateDbConnection(MainConnectionString("KARVOService (Backup)"));
  plat::TDbStoredProc proc(*connection, "PRunBackup");
  EXPECT_EQ(ExecuteStoredProcedure(proc), "");
  EXPECT_EQ(proc.ReturnValue(), 6);
  EXPECT_EQ(proc.Message(), "Backup done");
  const std::string record = fixtures::StandInRecord();
  EXPECT_NE(record.find("\"proc\": \"PRunBackup\""), std::string::npos) << record;
  EXPECT_NE(record.find("\"length\": 4000"), std::string::npos) << record;
  EXPECT_NE(record.find("\"app\": \"KARVOService (Backup)\""), std::string::npos) << record;
}

TEST_F(DatabaseTest, ProcedureWithoutParameterAndNullMessage) {
  auto connection = CreateDbConnection(MainConnectionString("KARVO Service"));
  plat::TDbStoredProc status(*connection, "PVerifyBackupStatus", false);
  EXPECT_EQ(ExecuteStoredProcedure(status), "");
  plat::TDbStoredProc backup(*connection, "PRunBackup");
  EXPECT_EQ(ExecuteStoredProcedure(backup), "");
  EXPECT_TRUE(backup.MessageIsNull());
  EXPECT_EQ(backup.Message(), "");
}

TEST_F(DatabaseTest, ProcedureWithTwoServerErrorsListsBothInOrderAndCloses) {
  fixtures::SetStandInScript(
      R"({"procedures": {"PRunBackup": {"errors": [[50000, "First failure"], [50001, "Second failure"]]}}})");
  auto connection = CreateDbConnection(MainConnectionString("t"));
  plat::TDbStoredProc proc(*connection, "PRunBackup");
  const std::string text = ExecuteStoredProcedure(proc);
  EXPECT_EQ(text,
            "[Executing procedure] [FreeTDS][SQL Server]First failure "
            "Error Code: 50000. [FreeTDS][SQL Server]First failure, "
            "Error Code: 50001. [FreeTDS][SQL Server]Second failure");
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, ProcedureOnALinkLostForGoodEndsInConnectionError) {
  // The server drops the call's link after a second; meanwhile it stops taking
  // the login, so the connection cannot be made again.
  fixtures::SetStandInScript(R"({"procedures": {"PRunBackup": {"delay": 1.5, "drop": true}}})");
  auto connection = CreateDbConnection(MainConnectionString("t"));
  connection->SetConnectionTimeout(3);
  plat::TDbStoredProc proc(*connection, "PRunBackup");
  auto run = std::async(std::launch::async, [&] { return ExecuteStoredProcedure(proc); });
  std::this_thread::sleep_for(std::chrono::milliseconds(700));
  fixtures::SetStandInScript(R"({"password": "changed"})");
  const std::string text = run.get();
  EXPECT_EQ(text.rfind("[Executing procedure] ", 0), 0u) << text;
  EXPECT_EQ(text.substr(text.size() - std::string(" Connection error").size()), " Connection error") << text;
  EXPECT_EQ(text.find("Error Code"), std::string::npos) << text;
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, ProcedureOnADroppedLinkThatCanBeMadeAgainListsTheProviderErrors) {
  fixtures::SetStandInScript(R"({"procedures": {"PRunBackup": {"drop": true}}})");
  auto connection = CreateDbConnection(MainConnectionString("t"));
  plat::TDbStoredProc proc(*connection, "PRunBackup");
  const std::string text = ExecuteStoredProcedure(proc);
  EXPECT_NE(text.find(" Error Code: "), std::string::npos) << text;
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, UnknownProcedureReportsTheServersError) {
  auto connection = CreateDbConnection(MainConnectionString("t"));
  plat::TDbStoredProc proc(*connection, "PNoSuchProcedure");
  EXPECT_NE(ExecuteStoredProcedure(proc).find("Error Code: 2812. "), std::string::npos);
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, ProcedureOnAServerThatRefusesTheLoginIsAConnectionError) {
  fixtures::SetStandInScript(R"({"password": "another one"})");
  auto connection = CreateDbConnection(MainConnectionString("t"));
  plat::TDbStoredProc proc(*connection, "PRunBackup");
  const std::string text = ExecuteStoredProcedure(proc);
  EXPECT_EQ(text, "[Executing procedure] [FreeTDS][SQL Server]Login failed for user 'FendraUser'. Connection error");
  EXPECT_FALSE(connection->Connected());
}

TEST_F(DatabaseTest, DatabaseVersionFromTheSettingsTable) {
  struct Case {
    const char* table;
    const char* version;
  } cases[] = {
      {R"({"ver_instal": "4v3v001"})", "4v3v001r00"},
      {R"({"ver_instal": "4v3v002", "release": "07"})", "4v3v002r07"},
      {R"({"release": "07"})", ""},
  };
  for (const Case& c : cases) {
    fixtures::SetStandInScript(std::string(R"({"ustawienia": )") + c.table + "}");
    auto connection = CreateMainDbConnection("KARVOService");
    EXPECT_EQ(GetDatabaseVersion(connection.get()), c.version) << c.table;
    EXPECT_TRUE(connection->Connected());
    EXPECT_EQ(connection->ConnectionTimeout(), 10);
  }
  EXPECT_NE(fixtures::StandInRecord().find(
                "SELECT (SELECT wartosc FROM ustawienia WHERE co = 'ver_instal') + 'r' + "
                "IsNull((SELECT wartosc FROM ustawienia WHERE co = 'release'), '00') AS dbver"),
            std::string::npos);
}

TEST_F(DatabaseTest, DatabaseVersionWithoutConnectionOrStringIsEmptyAndErrorsReachTheCaller) {
  EXPECT_EQ(GetDatabaseVersion(nullptr), "");
  plat::TDbConnection empty;
  EXPECT_EQ(GetDatabaseVersion(&empty), "");
  EXPECT_EQ(fixtures::StandInRecord(), "");

  fixtures::SetStandInScript(R"({"ustawienia": null})");
  auto connection = CreateMainDbConnection("KARVOService");
  EXPECT_THROW(GetDatabaseVersion(connection.get()), plat::TDbException);
  EXPECT_EQ(connection->Errors().at(0).NativeError, 208);
}

}  // namespace
