#pragma once
// The database client: one ODBC connection to SQL Server, a stored procedure
// with a return value and one text output parameter, and a one-row query.
//
// The connection string is the system's own "key=value;" text (Provider, OLE DB
// Services, Password, APP, Persist Security Info, User ID, Initial Catalog,
// Data Source); the client turns it into an ODBC string for the configured
// driver. No login prompt ever appears, connections are never pooled.
//
// Failures throw TDbException (a std::exception) with the provider's message;
// the diagnostic records of the last failure stay readable through Errors().
// Objects belong to one thread; different objects may be used on different
// threads at the same time.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace plat {

// One diagnostic record of the provider: the server's (native) error number
// and the message text.
struct TDbError {
  int32_t NativeError = 0;
  std::string Description;
};

class TDbException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The driver used when none is configured: "SQL Server" on Windows, "FreeTDS"
// elsewhere.
std::string DefaultDbDriver();

// The ODBC connection string for the system's connection string and a driver
// name. Unknown keys are ignored; Data Source takes the rest of the text, since
// the system's string always ends with it. Every value is brace-quoted ("}"
// doubled), so no value can add keys. The address may be "host",
// "host,port" or "host\instance"; for a FreeTDS driver the port is given as
// Port= (1433 when the address has none) and the protocol is pinned to 7.4.
std::string OdbcConnectionString(const std::string& systemString, const std::string& driver);

class TDbConnection {
 public:
  TDbConnection();
  ~TDbConnection();
  TDbConnection(const TDbConnection&) = delete;
  TDbConnection& operator=(const TDbConnection&) = delete;

  // Giving the string the connection already has changes nothing, also when
  // open; a different string closes an open connection first.
  void SetConnectionString(const std::string& text);
  const std::string& ConnectionString() const { return ConnectionString_; }
  // The ODBC driver name; DefaultDbDriver() until set.
  void SetDriver(const std::string& name) { Driver_ = name; }
  const std::string& Driver() const { return Driver_; }
  // Login time-out in seconds (covers connect and login), 15 by default.
  void SetConnectionTimeout(int seconds) { ConnectionTimeout_ = seconds; }
  int ConnectionTimeout() const { return ConnectionTimeout_; }
  // Read-committed isolation after login (off by default: the server's default).
  void SetReadCommitted(bool on) { ReadCommitted_ = on; }

  // Connects; an open connection counts as opened, a link the driver has found
  // dead is closed and made again. Throws TDbException on failure (the
  // connection is then closed).
  void Open();
  void Close();
  // Open and not known to the driver as dead.
  bool Connected() const;
  // The diagnostic records of the last failure on this connection or its
  // statements, in the order the provider gave them.
  const std::vector<TDbError>& Errors() const { return Errors_; }

  struct TState;  // the ODBC handles, for the statement classes
  TState& State() const { return *State_; }
  void SetErrors(std::vector<TDbError> errors) { Errors_ = std::move(errors); }

 private:
  std::unique_ptr<TState> State_;
  std::string ConnectionString_;
  std::string Driver_;
  int ConnectionTimeout_ = 15;
  bool ReadCommitted_ = false;
  std::vector<TDbError> Errors_;
};

// A stored procedure call "{? = call Name(?)}" with an integer return value and
// one output parameter "@message" declared varchar(4000), or "{? = call Name}"
// without the parameter. Execute() opens the connection when it is closed.
class TDbStoredProc {
 public:
  TDbStoredProc(TDbConnection& connection, const std::string& name, bool withMessage = true);
  // Seconds; 0 = no limit (the default).
  void SetCommandTimeout(int seconds) { CommandTimeout_ = seconds; }
  // Runs the call once; a call the driver answers with "no data" succeeded.
  // Throws TDbException on failure, after storing the provider's records in
  // the connection's Errors().
  void Execute();
  TDbConnection& Connection() const { return Connection_; }
  const std::string& Name() const { return Name_; }
  int32_t ReturnValue() const { return ReturnValue_; }
  // The output parameter; empty when the procedure gave NULL.
  const std::string& Message() const { return Message_; }
  bool MessageIsNull() const { return MessageNull_; }

 private:
  TDbConnection& Connection_;
  std::string Name_;
  bool WithMessage_;
  int CommandTimeout_ = 0;
  int32_t ReturnValue_ = 0;
  std::string Message_;
  bool MessageNull_ = true;
};

// A query whose first row's first field is wanted. Open() opens the connection
// when it is closed and leaves it open.
class TDbQuery {
 public:
  explicit TDbQuery(TDbConnection& connection) : Connection_(connection) {}
  void SetSql(const std::string& sql) { Sql_ = sql; }
  // Runs the query and reads the first row; throws TDbException on failure.
  void Open();
  // The first row's first field as text; empty for NULL or no row.
  const std::string& FirstField() const { return FirstField_; }

 private:
  TDbConnection& Connection_;
  std::string Sql_;
  std::string FirstField_;
};

}  // namespace plat
