#include "folderaccess/FolderAccess.h"

#include <gtest/gtest.h>

namespace {

TEST(FolderAccessTest, GrantFolderIsProgramFolderWithoutTrailingBackslashes) {
  struct TCase {
    const char* ProgramFile;
    const char* Folder;
  } cases[] = {
      {"C:\\Tools\\GrantFolderAccess.exe", "C:\\Tools"},
      {"C:\\GrantFolderAccess.exe", "C:"},
      {"\\\\server\\share\\dir\\GrantFolderAccess.exe", "\\\\server\\share\\dir"},
      {"C:\\a\\\\\\GrantFolderAccess.exe", "C:\\a"},
      {"C:\\Donn\xe9\x65s\\GrantFolderAccess.exe", "C:\\Donn\xe9\x65s"},  // ANSI bytes pass unchanged
  };
  for (const TCase& c : cases) EXPECT_EQ(GrantFolderOf(c.ProgramFile), c.Folder) << c.ProgramFile;
}

TEST(FolderAccessTest, CommandLineQuotesFolderAndGrantsFullControl) {
  EXPECT_EQ(BuildCaclsCommandLine("C:\\Tools", "Everyone"), "cacls \"C:\\Tools\" /t /e /g Everyone:f");
  EXPECT_EQ(BuildCaclsCommandLine("C:", "Jeder"), "cacls \"C:\" /t /e /g Jeder:f");
  // A failed look-up leaves the account name empty.
  EXPECT_EQ(BuildCaclsCommandLine("C:\\Tools", ""), "cacls \"C:\\Tools\" /t /e /g :f");
}

TEST(FolderAccessTest, ToolThatCannotBeStartedIsNoError) {
  GrantFullAccessWith("C:\\no such folder\\cacls.exe", "C:\\Tools");  // returns, throws nothing
  std::string name = "unchanged";
  int result = GetWorldGroupName(name);
  if (result != 0) EXPECT_EQ(name, "unchanged") << "a failed look-up leaves the name alone";
  else EXPECT_FALSE(name.empty());
}

}  // namespace
