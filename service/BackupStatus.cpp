#include "service/BackupStatus.h"

#include "common/Database.h"
#include "common/ServerSettings.h"
#include "platform/Com.h"

void VerifyBackupStatus(const std::string& appName) {
  try {
    plat::TComInit com;
    auto connection = CreateDbConnection(std::string());
    plat::TDbStoredProc procedure(*connection, "PVerifyBackupStatus", false);
    procedure.SetCommandTimeout(0);  // the procedure takes as long as it needs
    const std::string address = ReadServerSettings();
    try {
      if (TestServerConnection(address, appName)) {
        connection->SetConnectionString(
            BuildConnectionString(address, kDbLoginName, kDbPassword, appName, kMainDatabase));
        ExecuteStoredProcedure(procedure);  // the outcome is the database's business
      }
    } catch (...) {
    }
    if (connection->Connected()) connection->Close();
  } catch (...) {
  }
}
