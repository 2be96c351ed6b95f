// The database client over ODBC, compiled for both targets: Windows' odbc32
// and unixODBC on POSIX. Text goes through the wide calls as UTF-16.
//
// FreeTDS notes: the protocol is pinned to 7.4 (with "auto" a silent server
// makes the driver retry with TDS 5.0 and doubles the login time-out); a
// DSN-less Server= gets no default port, so Port= is always given; a dropped
// link is reported as 01000 / native 20017 rather than 08S01, so a dead link is
// found through SQL_ATTR_CONNECTION_DEAD instead of the SQLSTATE; a call whose
// reply carries no row count returns SQL_NO_DATA with its output parameters
// filled, which is success. The string ends in ";": the driver keeps the
// closing brace of an unterminated last value.
#include "platform/Db.h"

#include <algorithm>
#include <cctype>

#include "platform/Text.h"
#include "platform/odbc/OdbcApi.h"

namespace plat {

namespace {

using TWideBuf = std::vector<SQLWCHAR>;

TWideBuf ToWide(const std::string& utf8) {
  std::u16string text = Utf8ToUtf16(utf8);
  TWideBuf buf(text.begin(), text.end());
  buf.push_back(0);
  return buf;
}

std::string FromWide(const SQLWCHAR* text, size_t count) {
  return Utf16ToUtf8(std::u16string(text, text + count));
}

// Owns one ODBC handle.
class THandle {
 public:
  THandle() = default;
  THandle(SQLSMALLINT type, SQLHANDLE parent) : Type_(type) {
    if (!SQL_SUCCEEDED(SQLAllocHandle(type, parent, &H_))) H_ = SQL_NULL_HANDLE;
  }
  ~THandle() { Reset(); }
  THandle(THandle&& o) noexcept : Type_(o.Type_), H_(o.H_) { o.H_ = SQL_NULL_HANDLE; }
  THandle& operator=(THandle&& o) noexcept {
    if (this != &o) {
      Reset();
      Type_ = o.Type_;
      H_ = o.H_;
      o.H_ = SQL_NULL_HANDLE;
    }
    return *this;
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  SQLHANDLE Get() const { return H_; }
  explicit operator bool() const { return H_ != SQL_NULL_HANDLE; }
  void Reset() {
    if (H_ != SQL_NULL_HANDLE) SQLFreeHandle(Type_, H_);
    H_ = SQL_NULL_HANDLE;
  }

 private:
  SQLSMALLINT Type_ = 0;
  SQLHANDLE H_ = SQL_NULL_HANDLE;
};

// The process's ODBC environment: ODBC 3 behaviour, no connection pooling.
SQLHENV Environment() {
  static const THandle env = [] {
    SQLSetEnvAttr(SQL_NULL_HENV, SQL_ATTR_CONNECTION_POOLING, reinterpret_cast<SQLPOINTER>(SQL_CP_OFF),
                  SQL_IS_UINTEGER);
    THandle h(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    if (h) {
      SQLSetEnvAttr(h.Get(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
      SQLSetEnvAttr(h.Get(), SQL_ATTR_CONNECTION_POOLING, reinterpret_cast<SQLPOINTER>(SQL_CP_OFF),
                    SQL_IS_UINTEGER);
    }
    return h;
  }();
  return env.Get();
}

std::vector<TDbError> Diagnostics(SQLSMALLINT type, SQLHANDLE handle) {
  std::vector<TDbError> errors;
  if (handle == SQL_NULL_HANDLE) return errors;
  for (SQLSMALLINT record = 1;; ++record) {
    SQLWCHAR state[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    TWideBuf text(512);
    SQLRETURN rc = SQLGetDiagRecW(type, handle, record, state, &native, text.data(),
                                  static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
      text.resize(static_cast<size_t>(length) + 1);
      rc = SQLGetDiagRecW(type, handle, record, state, &native, text.data(),
                          static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    size_t count = std::min(static_cast<size_t>(std::max<SQLSMALLINT>(length, 0)), text.size() - 1);
    errors.push_back({static_cast<int32_t>(native), FromWide(text.data(), count)});
  }
  return errors;
}

[[noreturn]] void Fail(TDbConnection& connection, std::vector<TDbError> errors, const char* fallback) {
  std::string message = errors.empty() ? std::string(fallback) : errors.front().Description;
  connection.SetErrors(std::move(errors));
  throw TDbException(message);
}

bool IsFreeTds(const std::string& driver) {
  std::string lower;
  for (char c : driver) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("freetds") != std::string::npos || lower.find("tdsodbc") != std::string::npos;
}

bool KeyIs(const std::string& key, const char* name) {
  std::string k = key;
  while (!k.empty() && k.front() == ' ') k.erase(k.begin());
  while (!k.empty() && k.back() == ' ') k.pop_back();
  if (k.size() != std::char_traits<char>::length(name)) return false;
  for (size_t i = 0; i < k.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(k[i])) != std::tolower(static_cast<unsigned char>(name[i])))
      return false;
  return true;
}

std::string Braced(const std::string& value) {
  std::string out = "{";
  for (char c : value) {
    out += c;
    if (c == '}') out += '}';
  }
  return out + "}";
}

// A statement on an open connection.
THandle NewStatement(TDbConnection& connection);

}  // namespace

struct TDbConnection::TState {
  THandle Dbc;
  bool Open = false;
};

namespace {
THandle NewStatement(TDbConnection& connection) {
  THandle st(SQL_HANDLE_STMT, connection.State().Dbc.Get());
  if (!st) Fail(connection, Diagnostics(SQL_HANDLE_DBC, connection.State().Dbc.Get()), "Cannot create a statement");
  return st;
}
}  // namespace

#ifdef _WIN32
std::string DefaultDbDriver() { return "SQL Server"; }
#else
std::string DefaultDbDriver() { return "FreeTDS"; }
#endif

std::string OdbcConnectionString(const std::string& systemString, const std::string& driver) {
  std::string password, app, user, database, address;
  bool haveAddress = false;
  size_t pos = 0;
  const size_t n = systemString.size();
  while (pos < n) {
    size_t stop = systemString.find_first_of("=;", pos);
    if (stop == std::string::npos) break;
    if (systemString[stop] == ';') {  // a segment without a value
      pos = stop + 1;
      continue;
    }
    std::string key = systemString.substr(pos, stop - pos);
    if (KeyIs(key, "Data Source")) {
      address = systemString.substr(stop + 1);
      haveAddress = true;
      break;
    }
    size_t end = systemString.find(';', stop + 1);
    if (end == std::string::npos) end = n;
    std::string value = systemString.substr(stop + 1, end - stop - 1);
    if (KeyIs(key, "Password")) password = value;
    else if (KeyIs(key, "APP")) app = value;
    else if (KeyIs(key, "User ID")) user = value;
    else if (KeyIs(key, "Initial Catalog")) database = value;
    pos = end + 1;
  }

  std::string out = "Driver=" + Braced(driver);
  if (haveAddress) {
    if (IsFreeTds(driver)) {
      std::string host = address, port = "1433";
      size_t comma = address.rfind(',');
      if (address.find('\\') != std::string::npos) {
        port.clear();  // the instance name finds the port
      } else if (comma != std::string::npos) {
        host = address.substr(0, comma);
        port = address.substr(comma + 1);
      }
      out += ";Server=" + Braced(host);
      if (!port.empty()) out += ";Port=" + Braced(port);
    } else {
      out += ";Server=" + Braced(address);
    }
  }
  if (IsFreeTds(driver)) out += ";TDS_Version=" + Braced("7.4");
  out += ";Database=" + Braced(database) + ";UID=" + Braced(user) + ";PWD=" + Braced(password) +
         ";APP=" + Braced(app) + ";";
  return out;
}

TDbConnection::TDbConnection() : State_(std::make_unique<TState>()), Driver_(DefaultDbDriver()) {}

TDbConnection::~TDbConnection() { Close(); }

void TDbConnection::SetConnectionString(const std::string& text) {
  if (text == ConnectionString_) return;
  Close();
  ConnectionString_ = text;
}

bool TDbConnection::Connected() const {
  if (!State_->Open) return false;
  SQLUINTEGER dead = SQL_CD_FALSE;
  SQLRETURN rc = SQLGetConnectAttrW(State_->Dbc.Get(), SQL_ATTR_CONNECTION_DEAD, &dead, 0, nullptr);
  return !(SQL_SUCCEEDED(rc) && dead == SQL_CD_TRUE);
}

void TDbConnection::Open() {
  if (State_->Open) {
    if (Connected()) return;
    Close();
  }
  SQLHENV env = Environment();
  if (env == SQL_NULL_HENV) Fail(*this, {}, "The ODBC environment is not available");
  THandle dbc(SQL_HANDLE_DBC, env);
  if (!dbc) Fail(*this, Diagnostics(SQL_HANDLE_ENV, env), "Cannot create an ODBC connection");
  SQLSetConnectAttrW(dbc.Get(), SQL_ATTR_LOGIN_TIMEOUT,
                     reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(ConnectionTimeout_, 0))), 0);
  TWideBuf text = ToWide(OdbcConnectionString(ConnectionString_, Driver_));
  SQLRETURN rc = SQLDriverConnectW(dbc.Get(), nullptr, text.data(), SQL_NTS, nullptr, 0, nullptr,
                                   SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) Fail(*this, Diagnostics(SQL_HANDLE_DBC, dbc.Get()), "Cannot connect to the server");
  State_->Dbc = std::move(dbc);
  State_->Open = true;
  if (ReadCommitted_) {
    rc = SQLSetConnectAttrW(State_->Dbc.Get(), SQL_ATTR_TXN_ISOLATION,
                            reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(SQL_TXN_READ_COMMITTED)), 0);
    if (!SQL_SUCCEEDED(rc)) {
      std::vector<TDbError> errors = Diagnostics(SQL_HANDLE_DBC, State_->Dbc.Get());
      Close();
      Fail(*this, std::move(errors), "Cannot set the isolation level");
    }
  }
}

void TDbConnection::Close() {
  if (State_->Open) SQLDisconnect(State_->Dbc.Get());
  State_->Open = false;
  State_->Dbc.Reset();
}

TDbStoredProc::TDbStoredProc(TDbConnection& connection, const std::string& name, bool withMessage)
    : Connection_(connection), Name_(name), WithMessage_(withMessage) {}

void TDbStoredProc::Execute() {
  ReturnValue_ = 0;
  Message_.clear();
  MessageNull_ = true;
  Connection_.Open();
  THandle st = NewStatement(Connection_);
  SQLSetStmtAttrW(st.Get(), SQL_ATTR_QUERY_TIMEOUT,
                  reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(CommandTimeout_, 0))), 0);

  SQLINTEGER returnValue = 0;
  SQLLEN returnIndicator = 0;
  constexpr SQLULEN kMessageChars = 4000;
  TWideBuf message(kMessageChars + 1);
  SQLLEN messageIndicator = SQL_NULL_DATA;
  auto failHere = [&](const char* fallback) {
    Fail(Connection_, Diagnostics(SQL_HANDLE_STMT, st.Get()), fallback);
  };
  if (!SQL_SUCCEEDED(SQLBindParameter(st.Get(), 1, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0,
                                      &returnValue, 0, &returnIndicator)))
    failHere("Cannot bind the return value");
  if (WithMessage_ &&
      !SQL_SUCCEEDED(SQLBindParameter(st.Get(), 2, SQL_PARAM_OUTPUT, SQL_C_WCHAR, SQL_VARCHAR, kMessageChars, 0,
                                      message.data(), static_cast<SQLLEN>(message.size() * sizeof(SQLWCHAR)),
                                      &messageIndicator)))
    failHere("Cannot bind the output parameter");

  TWideBuf call = ToWide("{? = call " + Name_ + (WithMessage_ ? "(?)}" : "}"));
  SQLRETURN rc = SQLExecDirectW(st.Get(), call.data(), SQL_NTS);
  if (rc != SQL_NO_DATA && !SQL_SUCCEEDED(rc)) failHere("The procedure call failed");
  // Output parameters are complete once every result has been passed.
  while (SQL_SUCCEEDED(rc = SQLMoreResults(st.Get()))) {
  }
  if (rc != SQL_NO_DATA) failHere("The procedure call failed");

  if (returnIndicator != SQL_NULL_DATA) ReturnValue_ = returnValue;
  if (WithMessage_ && messageIndicator != SQL_NULL_DATA) {
    size_t chars = messageIndicator == SQL_NO_TOTAL ? kMessageChars
                                                    : static_cast<size_t>(messageIndicator) / sizeof(SQLWCHAR);
    chars = std::min<size_t>(chars, kMessageChars);
    size_t end = 0;
    while (end < chars && message[end] != 0) ++end;
    Message_ = FromWide(message.data(), end);
    MessageNull_ = false;
  }
}

void TDbQuery::Open() {
  FirstField_.clear();
  Connection_.Open();
  THandle st = NewStatement(Connection_);
  auto failHere = [&](const char* fallback) {
    Fail(Connection_, Diagnostics(SQL_HANDLE_STMT, st.Get()), fallback);
  };
  TWideBuf sql = ToWide(Sql_);
  SQLRETURN rc = SQLExecDirectW(st.Get(), sql.data(), SQL_NTS);
  if (rc == SQL_NO_DATA) return;
  if (!SQL_SUCCEEDED(rc)) failHere("The query failed");
  rc = SQLFetch(st.Get());
  if (rc == SQL_NO_DATA) return;
  if (!SQL_SUCCEEDED(rc)) failHere("Reading the query's row failed");
  std::u16string value;
  for (;;) {
    SQLWCHAR chunk[256];
    SQLLEN indicator = 0;
    rc = SQLGetData(st.Get(), 1, SQL_C_WCHAR, chunk, sizeof(chunk), &indicator);
    if (rc == SQL_NO_DATA) break;
    if (!SQL_SUCCEEDED(rc)) failHere("Reading the query's field failed");
    if (indicator == SQL_NULL_DATA) break;
    size_t max = sizeof(chunk) / sizeof(SQLWCHAR) - 1;
    size_t count = (indicator == SQL_NO_TOTAL || static_cast<size_t>(indicator) / sizeof(SQLWCHAR) > max)
                       ? max
                       : static_cast<size_t>(indicator) / sizeof(SQLWCHAR);
    value.append(chunk, chunk + count);
    if (rc == SQL_SUCCESS) break;
  }
  FirstField_ = Utf16ToUtf8(value);
  SQLFreeStmt(st.Get(), SQL_CLOSE);
}

}  // namespace plat
