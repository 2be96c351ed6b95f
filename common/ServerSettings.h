#pragma once
// server.ini beside the running program's executable (for the plug-in: beside
// the service). Read afresh at every call, so an edit takes effect at once.
#include <string>

// The SQL Server address: key "server" of section [Server], or "" when the
// file or the key is missing. When debugLog is given it receives key "Log" of
// section [Debug] read as a whole number (decimal, or hexadecimal after 0x),
// true when not 0.
std::string ReadServerSettings(bool* debugLog = nullptr);

// Any other value of server.ini, read the same way; defaultValue when missing.
std::string ReadServerIniString(const std::string& section, const std::string& key,
                                const std::string& defaultValue);

// The full path of server.ini.
std::string ServerIniPath();
