// The real GrantFolderAccess under Wine with a recording cacls.exe put in place
// of the system's own (saved and restored around every test).
#include <gtest/gtest.h>

#include "folderaccess/FolderAccess.h"
#include "platform/AnsiProcess.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"

namespace {

const char* const kRecord = "C:\\karvo-cacls-record.txt";
const char* const kOverrides = "HKCU\\Software\\Wine\\DllOverrides";

bool CopyWholeFile(const std::string& from, const std::string& to) {
  std::string bytes;
  return plat::ReadWholeFile(from, bytes) && plat::WriteWholeFile(to, bytes);
}

class GrantFolderAccessWine : public ::testing::Test {
 protected:
  std::string System = plat::AnsiToUtf8(plat::SystemFolderAnsi());
  std::string Cacls = System + "\\cacls.exe";
  std::string Saved = System + "\\cacls.exe.karvo-saved";
  std::string Recorder = plat::ProgramFolder() + "recording_cacls.exe";
  std::string Program = plat::HostPath(GRANT_EXE);
  std::vector<std::string> Folders;

  // Wine runs its own built-in tools in place of files of the same name in the
  // system folder unless told to prefer the file.
  int PreferFileForCacls(bool prefer) {
    std::string reg = System + "\\reg.exe";
    if (prefer)
      return plat::RunAndWait(reg, {"add", kOverrides, "/v", "cacls.exe", "/d", "native", "/f"});
    return plat::RunAndWait(reg, {"delete", kOverrides, "/v", "cacls.exe", "/f"});
  }
  void SetUp() override {
    ASSERT_EQ(PreferFileForCacls(true), 0);
    if (!plat::FileExists(Saved)) ASSERT_TRUE(plat::RenameFile(Cacls, Saved));
    plat::RemoveFile(Cacls);
    plat::RemoveFile(kRecord);
  }
  void TearDown() override {
    plat::RemoveFile(Cacls);
    plat::RenameFile(Saved, Cacls);
    PreferFileForCacls(false);
    plat::RemoveFile(kRecord);
    for (const std::string& f : Folders) plat::RemoveTree(f);
  }
  // Puts the program into folder (created) and runs it; its exit code.
  int RunIn(const std::string& folder, const std::string& name = "GrantFolderAccess.exe") {
    plat::ForceDirectories(folder);
    EXPECT_TRUE(CopyWholeFile(Program, folder + name));
    int code = plat::RunAndWait(folder + name, {}, folder);
    plat::RemoveFile(folder + name);
    return code;
  }
  std::vector<std::string> RecordLines() {
    std::string text;
    plat::ReadWholeFile(kRecord, text);
    std::vector<std::string> lines;
    size_t pos = 0, end;
    while ((end = text.find('\n', pos)) != std::string::npos) {
      lines.push_back(text.substr(pos, end - pos));
      pos = end + 1;
    }
    return lines;
  }
};

TEST_F(GrantFolderAccessWine, ToolFromSystemFolderGetsFolderInQuotesAndWorldGroup) {
  ASSERT_TRUE(CopyWholeFile(Recorder, Cacls));
  std::string world;
  ASSERT_EQ(GetWorldGroupName(world), 0);
  std::string accented = "C:\\Donn\xc3\xa9""es\\";
  struct TCase {
    std::string Folder;  // where the program lies
    std::string Passed;
  } cases[] = {
      {"C:\\Tools\\", "C:\\Tools"},
      {"C:\\", "C:"},
      {accented, accented.substr(0, accented.size() - 1)},
  };
  for (const TCase& c : cases) {
    if (c.Folder == accented && plat::AnsiToUtf8(plat::Utf8ToAnsi(c.Folder)) != c.Folder) {
      ADD_FAILURE() << "the ANSI code page of this prefix cannot hold the test folder's name";
      continue;
    }
    if (c.Folder != "C:\\") Folders.push_back(c.Folder);
    // A cacls.exe beside the program must not be the one that runs.
    plat::ForceDirectories(c.Folder);
    ASSERT_TRUE(CopyWholeFile(Recorder, c.Folder + "cacls.exe"));
    plat::RemoveFile(kRecord);
    EXPECT_EQ(RunIn(c.Folder), 0);
    plat::RemoveFile(c.Folder + "cacls.exe");
    // The recorder writes only after a second: the program waited for it.
    std::vector<std::string> lines = RecordLines();
    ASSERT_EQ(lines.size(), 1u) << c.Folder;
    size_t bar = lines[0].find('|');
    EXPECT_TRUE(plat::SameTextAscii(lines[0].substr(0, bar), Cacls)) << lines[0];
    EXPECT_EQ(lines[0].substr(bar + 1), "cacls \"" + c.Passed + "\" /t /e /g " + world + ":f") << c.Folder;
  }
}

TEST_F(GrantFolderAccessWine, MissingToolStillEndsWithZero) {
  Folders.push_back("C:\\Tools\\");
  EXPECT_EQ(RunIn("C:\\Tools\\"), 0);
  EXPECT_TRUE(RecordLines().empty());
}

}  // namespace
