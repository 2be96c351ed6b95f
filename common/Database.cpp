#include "common/Database.h"

#include <exception>

#include "common/ServerSettings.h"

const char* const kDbLoginName = "FendraUser";
const char* const kDbPassword = "qzm7Wk#ab";
const char* const kMainDatabase = "FendraMDF";
const char* const kBackupMinimumDbVersion = "4v3v001r00";

namespace {
constexpr int kTestConnectionTimeout = 3;   // seconds
constexpr int kVersionConnectionTimeout = 10;
const char* const kVersionQuery =
    "SELECT (SELECT wartosc FROM ustawienia WHERE co = 'ver_instal') + 'r' + "
    "IsNull((SELECT wartosc FROM ustawienia WHERE co = 'release'), '00') AS dbver";
}  // namespace

std::string BuildConnectionString(const std::string& serverAddress, const std::string& loginName,
                                  const std::string& password, const std::string& appName,
                                  const std::string& database) {
  return "Provider=SQLOLEDB.1;OLE DB Services=-4;Password=" + password + ";APP=" + appName +
         ";Persist Security Info=True;User ID=" + loginName + ";Initial Catalog=" + database +
         ";Data Source=" + serverAddress;
}

std::string ConfiguredDbDriver() { return ReadServerIniString("Server", "Driver", plat::DefaultDbDriver()); }

std::unique_ptr<plat::TDbConnection> CreateDbConnection(const std::string& connectionString) {
  auto connection = std::make_unique<plat::TDbConnection>();
  connection->SetDriver(ConfiguredDbDriver());
  connection->SetConnectionString(connectionString);
  return connection;
}

bool TestConnectionString(plat::TDbConnection& connection, const std::string& connectionString) {
  try {
    connection.SetConnectionString(connectionString);
    connection.Open();
    connection.Close();
    return true;
  } catch (...) {
    connection.Close();
    return false;
  }
}

bool TestServerConnection(const std::string& serverAddress, const std::string& appName) {
  try {
    plat::TDbConnection connection;
    connection.SetConnectionTimeout(kTestConnectionTimeout);
    connection.SetReadCommitted(true);
    if (serverAddress.empty()) return false;
    connection.SetDriver(ConfiguredDbDriver());
    return TestConnectionString(
        connection, BuildConnectionString(serverAddress, kDbLoginName, kDbPassword, appName, kMainDatabase));
  } catch (...) {
    return false;
  }
}

std::unique_ptr<plat::TDbConnection> CreateMainDbConnection(const std::string& appName) {
  return CreateDbConnection(
      BuildConnectionString(ReadServerSettings(), kDbLoginName, kDbPassword, appName, kMainDatabase));
}

std::string FormatProcedureError(const std::string& message, bool connectionUsable,
                                 const std::vector<plat::TDbError>& errors) {
  std::string text = "[Executing procedure] " + message + " ";
  if (!connectionUsable) return text + "Connection error";
  if (errors.empty()) return text + "Unknown error";
  for (size_t i = 0; i < errors.size(); ++i) {
    if (i > 0) text += ", ";
    text += "Error Code: " + std::to_string(errors[i].NativeError) + ". " + errors[i].Description;
  }
  return text;
}

std::string ExecuteStoredProcedure(plat::TDbStoredProc& storedProc) {
  plat::TDbConnection& connection = storedProc.Connection();
  std::string text;
  try {
    storedProc.Execute();
    return std::string();
  } catch (const std::exception& e) {
    // The records of the failed call; the test below may add its own.
    std::vector<plat::TDbError> errors = connection.Errors();
    bool usable = TestConnectionString(connection, connection.ConnectionString());
    text = FormatProcedureError(e.what(), usable, errors);
  } catch (...) {
    text = "[Executing procedure] Unknown error";
  }
  connection.Close();
  return text;
}

std::string GetDatabaseVersion(plat::TDbConnection* connection) {
  if (!connection || connection->ConnectionString().empty()) return std::string();
  connection->SetConnectionTimeout(kVersionConnectionTimeout);
  plat::TDbQuery query(*connection);
  query.SetSql(kVersionQuery);
  query.Open();
  return query.FirstField();
}
