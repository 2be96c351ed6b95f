#include "backup/BackupResult.h"

#include <gtest/gtest.h>

namespace {

TEST(FormatBackupResult, Table) {
  const std::string mdf = "\r\n\tDatabase FendraMDF ", konfig = "\r\n\tDatabase FendraKONFIG ";
  struct Case {
    int32_t code;
    const char* message;
    bool debugLog;
    std::string text;
  } cases[] = {
      {131, "M", false, mdf + "backup succcessful M"},
      {8194, "", false, ""},  // neither bit 0 nor bit 7: nothing selected
      {12417, "", false, konfig + "log backup fail"},
      {0, "", false, ""},
      {0, "", true, "Procedure executed - ProcResult = 0"},
      {0, "done", false, " done"},
      {0, "done", true, "Procedure executed - ProcResult = 0 done"},
      // Each of the twelve lines with its exact spelling.
      {1 | 2, "", false, mdf + "backup succcessful"},
      {1 | 2 | 4, "", false, mdf + "backup fail"},
      {1 | 8, "", false, mdf + "differential backup succcessful"},
      {1 | 8 | 16, "", false, mdf + "differential backup fail"},
      {1 | 32, "", false, mdf + "log backup succcessful"},
      {1 | 32 | 64, "", false, mdf + "log backup fail"},
      {128 | 256, "", false, konfig + "backup succcessful"},
      {128 | 256 | 512, "", false, konfig + "backup fail"},
      {128 | 1024, "", false, konfig + "differential backup succcessful"},
      {128 | 1024 | 2048, "", false, konfig + "differential backup fail"},
      {128 | 4096, "", false, konfig + "log backup successful"},
      {128 | 4096 | 8192, "", false, konfig + "log backup fail"},
      // Order full, differential, log; FendraMDF before FendraKONFIG; high bits select nothing.
      {1 | 2 | 8 | 32 | 128 | 4096 | (1 << 14), "x", false,
       mdf + "backup succcessful" + mdf + "differential backup succcessful" + mdf + "log backup succcessful" + konfig +
           "log backup successful x"},
      {1, "", true, ""},  // a non-zero result is never the debug line
      {-1, "", false,
       mdf + "backup fail" + mdf + "differential backup fail" + mdf + "log backup fail" + konfig + "backup fail" +
           konfig + "differential backup fail" + konfig + "log backup fail"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatBackupResult(c.code, c.message, c.debugLog), c.text) << "code " << c.code << " debug " << c.debugLog;
}

}  // namespace
