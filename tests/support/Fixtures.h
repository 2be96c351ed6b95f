#pragma once
// Where the tests find the fixture servers that CTest starts for them: the
// stand-in SQL Server and the update server write their port into a state
// folder whose host path comes in an environment variable.
#include <string>

namespace fixtures {

// The state folder of a fixture as this program sees it (empty when the
// variable is not set), e.g. StateFolder("KARVO_STANDIN_DIR").
std::string StateFolder(const char* variable);
// The port the fixture listens on, or 0 when it is not running.
int Port(const char* variable);

// The stand-in SQL Server: its folder (script.json, record.jsonl) and address.
std::string StandInFolder();
std::string StandInAddress();  // "127.0.0.1,<port>"
// Replaces the stand-in's behaviour script and empties its record.
void SetStandInScript(const std::string& json);
// The stand-in's record so far, one JSON object per line.
std::string StandInRecord();

// A server.ini naming the stand-in (or another address) with the FreeTDS
// driver, which Wine's ODBC reaches too; more is appended as it stands.
std::string ServerIniText(const std::string& address, const std::string& more = std::string());

// The update server: the folder it serves and its base address.
std::string UpdateServerRoot();
std::string UpdateServerUrl();  // "http://127.0.0.1:<port>"

// A trace file's text (UTF-16LE) as UTF-8; "" when it cannot be read.
std::string ReadTraceFile(const std::string& path);
// The text of every day's file in a trace folder, oldest day first.
std::string ReadTraceFolder(const std::string& folder);

// A fresh, empty folder for one test, ending in a separator.
std::string ScratchFolder(const std::string& tag);

}  // namespace fixtures
