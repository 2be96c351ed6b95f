#include "common/FileVersion.h"

#include <gtest/gtest.h>

#include "platform/Files.h"
#include "platform/Paths.h"

// The version text of files with and without a version resource, on both
// PE formats; nothing readable gives "".
TEST(GetFileVersionString, FourNumbersFromTheFileVersionOrEmpty) {
  const std::string fixtures = plat::HostPath(KARVO_PE_FIXTURE_DIR) + plat::PathDelim;
  const std::string text = plat::ProgramFolder() + "fileversion_plain.txt";
  ASSERT_TRUE(plat::WriteWholeFile(text, "no version here"));
  struct TCase {
    std::string path;
    std::string expected;
  };
  for (const TCase& c : {TCase{fixtures + "pe_fixture_i686.dll", "7.65535.0.42"},
                         TCase{fixtures + "pe_fixture_x86_64.dll", "7.65535.0.42"},
                         TCase{fixtures + "missing.dll", ""}, TCase{text, ""},
                         TCase{plat::ProgramFolder(), ""}}) {
    if (c.expected.size() && !plat::FileExists(c.path)) continue;  // mingw tools absent
    EXPECT_EQ(GetFileVersionString(c.path), c.expected) << c.path;
  }
  plat::RemoveFile(text);
}
