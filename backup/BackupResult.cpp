#include "backup/BackupResult.h"

namespace {

struct TBackupLine {
  int KindBit;  // the kind of backup; the next bit up marks a failure
  const char* Success;
  const char* Failure;
};

// The texts are as the database's administrators know them, spelling included.
const TBackupLine kMainLines[] = {
    {1, "\r\n\tDatabase FendraMDF backup succcessful", "\r\n\tDatabase FendraMDF backup fail"},
    {3, "\r\n\tDatabase FendraMDF differential backup succcessful", "\r\n\tDatabase FendraMDF differential backup fail"},
    {5, "\r\n\tDatabase FendraMDF log backup succcessful", "\r\n\tDatabase FendraMDF log backup fail"},
};
const TBackupLine kConfigLines[] = {
    {8, "\r\n\tDatabase FendraKONFIG backup succcessful", "\r\n\tDatabase FendraKONFIG backup fail"},
    {10, "\r\n\tDatabase FendraKONFIG differential backup succcessful",
     "\r\n\tDatabase FendraKONFIG differential backup fail"},
    {12, "\r\n\tDatabase FendraKONFIG log backup successful", "\r\n\tDatabase FendraKONFIG log backup fail"},
};

bool Bit(int32_t code, int n) { return (static_cast<uint32_t>(code) >> n) & 1u; }

void AppendLines(std::string& text, int32_t code, const TBackupLine (&lines)[3]) {
  for (const TBackupLine& line : lines) {
    if (Bit(code, line.KindBit)) text += Bit(code, line.KindBit + 1) ? line.Failure : line.Success;
  }
}

}  // namespace

std::string FormatBackupResult(int32_t resultCode, const std::string& resultMessage, bool debugLog) {
  std::string text;
  if (resultCode != 0) {
    if (Bit(resultCode, 0)) AppendLines(text, resultCode, kMainLines);
    if (Bit(resultCode, 7)) AppendLines(text, resultCode, kConfigLines);
  } else if (debugLog) {
    text += "Procedure executed - ProcResult = 0";
  }
  if (!resultMessage.empty()) text += " " + resultMessage;
  return text;
}
