#pragma once
// The system's database access: the connection string of the main database,
// the quick server test, the stored procedure runner and the database version.
// The connection objects come from the platform's database client
// (platform/Db.h); every function here runs on the caller's thread with the
// caller's objects.
#include <memory>
#include <string>
#include <vector>

#include "common/VersionText.h"  // IsDatabaseVersionAtLeast
#include "platform/Db.h"

// The system's SQL Server login and its main database.
extern const char* const kDbLoginName;     // "FendraUser"
extern const char* const kDbPassword;      // "qzm7Wk#ab"
extern const char* const kMainDatabase;    // "FendraMDF"
// The version the backup procedure needs at least.
extern const char* const kBackupMinimumDbVersion;  // "4v3v001r00"

// The connection string, by plain concatenation, Data Source last. The client
// quotes every value when it connects, so an address holding ";" or "}" cannot
// add keys to the connection.
std::string BuildConnectionString(const std::string& serverAddress, const std::string& loginName,
                                  const std::string& password, const std::string& appName,
                                  const std::string& database);

// The ODBC driver of server.ini ([Server] Driver), or the platform's default.
std::string ConfiguredDbDriver();

// A new, unopened connection with the configured driver and the given string.
std::unique_ptr<plat::TDbConnection> CreateDbConnection(const std::string& connectionString);

// Whether the connection, given that string, can be opened and closed. Any
// failure gives false; the connection is left closed.
bool TestConnectionString(plat::TDbConnection& connection, const std::string& connectionString);

// Whether FendraMDF on serverAddress takes the system's login within 3 seconds
// (read-committed, no prompt, nothing pooled). An empty address is false at
// once, without network traffic. Never throws.
bool TestServerConnection(const std::string& serverAddress, const std::string& appName);

// An unopened connection to the main database on the server of server.ini.
std::unique_ptr<plat::TDbConnection> CreateMainDbConnection(const std::string& appName);

// Runs the prepared procedure once. "" on success (return value and message
// stay readable in the procedure); otherwise one line of error text, and the
// procedure's connection is closed.
std::string ExecuteStoredProcedure(plat::TDbStoredProc& storedProc);

// The error text of a failed procedure from its pieces: the failure's message,
// whether the connection test passed, and the provider's records.
std::string FormatProcedureError(const std::string& message, bool connectionUsable,
                                 const std::vector<plat::TDbError>& errors);

// The database version text ("4v3v001r00") read over the connection; "" when
// there is no connection, its string is empty, or the version is NULL. Sets the
// connection's time-out to 10 seconds and leaves the connection open. Errors
// of the connection or the query reach the caller (plat::TDbException).
std::string GetDatabaseVersion(plat::TDbConnection* connection);
