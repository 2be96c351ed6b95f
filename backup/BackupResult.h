#pragma once
// The text of what "PRunBackup" reports: its return value is a bit set that
// selects fixed lines, its "@message" a free text.
#include <cstdint>
#include <string>

// Bit 0 opens the lines of FendraMDF, bit 7 those of FendraKONFIG; within each
// one bit names the kind of backup (full, differential, log) and the bit above
// it says that it failed. Each line starts with CR LF and a tab. A result of 0
// gives "Procedure executed - ProcResult = 0" when debugLog is on. A message is
// appended after one blank.
std::string FormatBackupResult(int32_t resultCode, const std::string& resultMessage, bool debugLog);
