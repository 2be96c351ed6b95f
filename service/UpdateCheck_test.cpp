// The update check against the fixture update server and the stand-in SQL
// Server. This binary has a folder of its own: it is the program's folder the
// check works in (server.ini, config, update).
#include "service/UpdateCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/Md5.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"
#include "tests/support/Fixtures.h"
#include "trace/XYTrace.h"

namespace {

const std::string D = plat::PathDelim;

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(fixtures::Port("KARVO_UPDATE_DIR"), 0) << "the update server fixture is not running";
    ASSERT_NE(fixtures::Port("KARVO_STANDIN_DIR"), 0) << "the stand-in fixture is not running";
    Folder = plat::ProgramFolder();
    for (const char* name : {"update", "sdll", "sub", "Installed"}) plat::RemoveTree(Folder + name);
    plat::RemoveFile(Folder + "config");
    Served = fixtures::UpdateServerRoot() + "updatecheck" + D;
    plat::RemoveTree(Served);
    ASSERT_TRUE(plat::ForceDirectories(Served));
    ASSERT_TRUE(plat::ForceDirectories(fixtures::UpdateServerRoot() + "patch" + D + "KarvoService"));
    fixtures::SetStandInScript("{}");
    WriteServerIni(fixtures::StandInAddress());
    SetTraceLevel(TraceProgress);
    NewTrace();
  }
  // A trace of its own for what follows.
  void NewTrace() {
    if (!TraceFolder.empty()) plat::RemoveTree(TraceFolder);
    TraceFolder = fixtures::ScratchFolder("updatecheck-trace-" + std::to_string(++TraceCount));
    SetTraceFolder(TraceFolder);
  }
  void TearDown() override {
    SetTraceFolder(fixtures::ScratchFolder("updatecheck-trace-done"));
    plat::RemoveTree(TraceFolder);
    for (const char* name : {"update", "sdll", "sub", "Installed"}) plat::RemoveTree(Folder + name);
    plat::RemoveFile(Folder + "server.ini");
    plat::RemoveFile(Folder + "config");
  }

  void WriteServerIni(const std::string& dbServer) {
    std::string ini = "[Server]\r\nDriver=FreeTDS\r\n";
    if (!dbServer.empty()) ini += "server=" + dbServer + "\r\n";
    ini += "[Update]\r\nServer=" + fixtures::UpdateServerUrl() + "\r\n";
    ASSERT_TRUE(plat::WriteWholeFile(Folder + "server.ini", ini));
  }
  void SetConfig(const std::string& text) {
    ASSERT_TRUE(plat::WriteWholeFile(fixtures::UpdateServerRoot() + "patch" + D + "KarvoService" + D + "config", text));
  }
  // Serves content and gives its address.
  std::string Serve(const std::string& name, const std::string& content, const std::string& mode = "normal") {
    EXPECT_TRUE(plat::WriteWholeFile(Served + name, content));
    return fixtures::UpdateServerUrl() + "/mode/" + mode + "/updatecheck/" + name;
  }
  // The messages written so far, without their time stamps.
  std::vector<std::string> Trace() const {
    std::vector<std::string> lines;
    const std::string all = fixtures::ReadTraceFolder(TraceFolder);
    size_t start = 0;
    for (size_t end; (end = all.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(all.substr(start + 9, end - start - 9));
    return lines;
  }
  bool Traced(const std::string& prefix) const {
    for (const std::string& line : Trace())
      if (line.compare(0, prefix.size(), prefix) == 0) return true;
    return false;
  }
  static std::string Entry(const std::string& db, const std::string& path, const std::string& version,
                           const std::string& md5, const std::string& url) {
    return db + ";" + path + ";" + version + ";" + md5 + ";" + url + "\r\n";
  }

  std::string Folder, Served, TraceFolder;
  int TraceCount = 0;
};

TEST_F(UpdateCheckTest, StagesVerifiedNewerFilesWithTheExactTrace) {
  const std::string good = "new plug-in", other = "other file";
  const std::string goodUrl = Serve("New.dll", good), badUrl = Serve("Bad.dll", other);
  const std::string upperMd5 = plat::UpperAscii(Md5OfString(other));
  const std::string missingUrl = fixtures::UpdateServerUrl() + "/updatecheck/Missing.dll";
  SetConfig("KARVO update configuration\r\n\r\n" +
            Entry("4v3v001r00", "sdll\\New.dll", "1.0.0.1", Md5OfString(good), goodUrl) +
            Entry("4v3v001r00", "Bad.dll", "1.0.0.1", upperMd5, badUrl) +
            Entry("1v0v0r00", "sub\\deeper\\Missing.dll", "1.0.0.1", Md5OfString(good), missingUrl) +
            Entry("4v3v001r01", "Later.dll", "1.0.0.1", Md5OfString(good), goodUrl) +
            Entry("4v3v001r00", "Six.dll", "1.0.0.1", Md5OfString(good), goodUrl + ";") + "a;b;c;d\r\n");
  // Left by an earlier check that was not consumed.
  ASSERT_TRUE(plat::ForceDirectories(Folder + "update" + D + "old"));
  ASSERT_TRUE(plat::WriteWholeFile(Folder + "update" + D + "old" + D + "Old.dll", "old"));

  EXPECT_TRUE(CheckForUpdates());

  const std::string tmp = Folder + "update" + D + "tmp" + D;
  const std::vector<std::string> expected = {
      "Checking updates...",
      "Fetching database version...",
      "Downloading updated file: sdll" + D + "New.dll, Ver.: 1.0.0.1, for DB: 4v3v001r00 from: " + goodUrl,
      "Successfully downloaded: sdll" + D + "New.dll",
      "Staging file for update into: " + Folder + "update" + D + "sdll" + D + "New.dll",
      "Downloading updated file: Bad.dll, Ver.: 1.0.0.1, for DB: 4v3v001r00 from: " + badUrl,
      "Successfully downloaded: Bad.dll",
      "MD5 mismatched, update aborted. Deleting " + tmp + "Bad.dll",
      "Downloading updated file: sub" + D + "deeper" + D + "Missing.dll, Ver.: 1.0.0.1, for DB: 1v0v0r00 from: " +
          missingUrl,
      "Error while downloading file: sub" + D + "deeper" + D + "Missing.dll",
  };
  EXPECT_EQ(Trace(), expected);
  std::string staged;
  EXPECT_TRUE(plat::ReadWholeFile(Folder + "update" + D + "sdll" + D + "New.dll", staged));
  EXPECT_EQ(staged, good);
  EXPECT_FALSE(plat::DirectoryExists(Folder + "update" + D + "old"));
  EXPECT_FALSE(plat::DirectoryExists(tmp));
  EXPECT_FALSE(plat::FileExists(Folder + "update" + D + "Bad.dll"));
  EXPECT_FALSE(plat::FileExists(Folder + "config"));
  // Nothing is installed by the check itself.
  EXPECT_FALSE(plat::FileExists(Folder + "sdll" + D + "New.dll"));
}

TEST_F(UpdateCheckTest, NothingToDoEndsWithNoUpdatesFound) {
  struct {
    const char* Name;
    const char* Config;  // nullptr: the server has no configuration
    bool Downloaded;
  } const cases[] = {
      {"error page instead of a configuration", nullptr, false},
      // Zero bytes never count as a completed download.
      {"empty configuration", "", false},
      {"configuration not in the format", "<html><body>Maintenance</body></html>\r\n", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    plat::RemoveFile(fixtures::UpdateServerRoot() + "patch" + D + "KarvoService" + D + "config");
    if (c.Config) SetConfig(c.Config);
    ASSERT_TRUE(plat::ForceDirectories(Folder + "update"));
    ASSERT_TRUE(plat::WriteWholeFile(Folder + "update" + D + "Old.dll", "old"));
    NewTrace();
    EXPECT_FALSE(CheckForUpdates());
    if (!c.Downloaded) {
      EXPECT_EQ(Trace(), (std::vector<std::string>{"Checking updates...", "No updates found"}));
      EXPECT_TRUE(plat::FileExists(Folder + "update" + D + "Old.dll"));  // folders untouched
    } else {
      EXPECT_EQ(Trace(), (std::vector<std::string>{"Checking updates...", "Fetching database version...",
                                                   "No updates found"}));
      EXPECT_FALSE(plat::FileExists(Folder + "update" + D + "Old.dll"));
      EXPECT_TRUE(plat::DirectoryExists(Folder + "update"));
    }
  }
}

TEST_F(UpdateCheckTest, NoDatabaseServerConfiguredStopsBeforeReadingTheConfiguration) {
  SetConfig(Entry("1v0v0r00", "A.dll", "1.0.0.0", Md5OfString("a"), Serve("A.dll", "a")));
  WriteServerIni("");
  EXPECT_FALSE(CheckForUpdates());
  EXPECT_EQ(Trace(), (std::vector<std::string>{"Checking updates...", "No updates found"}));
  EXPECT_TRUE(plat::FileExists(Folder + "config"));
}

TEST_F(UpdateCheckTest, DatabaseGate) {
  const std::string url = Serve("A.dll", "a");
  const std::string md5 = Md5OfString("a");
  SetConfig(Entry("1v0v0r00", "Base.dll", "1.0.0.0", md5, url) + Entry("1v0v0r01", "Above.dll", "1.0.0.0", md5, url) +
            Entry("0v0v0r00", "Zero.dll", "1.0.0.0", md5, url) + Entry("1v0v0", "Short.dll", "1.0.0.0", md5, url));
  struct {
    const char* Name;
    std::string DbServer;
    const char* Script;
    std::vector<std::string> Staged;
  } const cases[] = {
      // Unreachable: the default 1v0v0r00 decides.
      {"database unreachable", "127.0.0.1,1", "{}", {"Base.dll", "Zero.dll"}},
      // No 'ver_instal' row: the empty version passes nothing.
      {"empty database version", fixtures::StandInAddress(), "{\"ustawienia\": {}}", {}},
      {"database 4v3v001r00", fixtures::StandInAddress(), "{}", {"Base.dll", "Above.dll", "Zero.dll"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    WriteServerIni(c.DbServer);
    fixtures::SetStandInScript(c.Script);
    NewTrace();
    EXPECT_EQ(CheckForUpdates(), !c.Staged.empty());
    EXPECT_EQ(Traced("Could not fetch database version: "), c.DbServer == "127.0.0.1,1");
    for (const char* name : {"Base.dll", "Above.dll", "Zero.dll", "Short.dll"}) {
      const bool expected = std::find(c.Staged.begin(), c.Staged.end(), name) != c.Staged.end();
      EXPECT_EQ(plat::FileExists(Folder + "update" + D + name), expected) << name;
    }
  }
}

#ifdef KARVO_PE_FIXTURE
// Installed copies carry the file version 7.65535.0.42.
TEST_F(UpdateCheckTest, VersionGateComparesNumbers) {
  std::string dll;
  ASSERT_TRUE(plat::ReadWholeFile(plat::HostPath(KARVO_PE_FIXTURE), dll));
  ASSERT_TRUE(plat::ForceDirectories(Folder + "Installed"));
  const std::string url = Serve("A.dll", "a");
  struct {
    const char* Offered;
    bool Installed;
    bool Newer;
  } const cases[] = {
      {"7.65535.0.42", true, false},  // equal is not newer
      {"7.65535.0.43", true, true},
      {"7.65535.0.9", true, false},   // 9 < 42 as numbers, though "9" > "42" as text
      {"7.65535.1.0", true, true},
      {"8.0.0.0", true, true},
      {"7.65535.1", true, false},     // three numbers against an installed version
      {"7.65535.1", false, true},     // anything is newer than a missing file
      {"0.0.0.0", false, true},
  };
  std::string config;
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i) {
    const std::string name = "Installed" + D + "F" + std::to_string(i) + ".dll";
    if (cases[i].Installed) ASSERT_TRUE(plat::WriteWholeFile(Folder + name, dll));
    config += Entry("1v0v0r00", "Installed\\F" + std::to_string(i) + ".dll", cases[i].Offered, Md5OfString("a"), url);
  }
  SetConfig(config);
  EXPECT_TRUE(CheckForUpdates());
  for (size_t i = 0; i < sizeof(cases) / sizeof(cases[0]); ++i)
    EXPECT_EQ(plat::FileExists(Folder + "update" + D + "Installed" + D + "F" + std::to_string(i) + ".dll"),
              cases[i].Newer)
        << cases[i].Offered << (cases[i].Installed ? " over 7.65535.0.42" : " over nothing");
}
#endif

TEST_F(UpdateCheckTest, PathsLeavingTheProgramFolderAreRefused) {
  const char* const paths[] = {
      "..\\Evil.dll",  "sdll\\..\\..\\Evil.dll", "\\Evil.dll", "/tmp/Evil.dll", "C:\\Evil.dll", "C:Evil.dll",
      "\\\\server\\share\\Evil.dll", "sdll\\\\Evil.dll", "sdll\\", "sub/../../Evil.dll", "Evil.dll:stream", "",
      ".",
  };
  const std::string url = Serve("Evil.dll", "evil");
  std::string config;
  for (const char* p : paths) config += Entry("1v0v0r00", p, "1.0.0.0", Md5OfString("evil"), url);
  SetConfig(config);
  EXPECT_FALSE(CheckForUpdates());
  std::vector<std::string> expected = {"Checking updates...", "Fetching database version..."};
  for (const char* p : paths) expected.push_back(std::string("Update entry refused, unsafe path: ") + p);
  expected.push_back("No updates found");
  EXPECT_EQ(Trace(), expected);
  std::string requests;
  plat::ReadWholeFile(fixtures::StateFolder("KARVO_UPDATE_DIR") + "requests.log", requests);
  EXPECT_EQ(requests.find("/updatecheck/Evil.dll"), std::string::npos);
  EXPECT_FALSE(plat::FileExists(plat::ExtractFilePath(Folder.substr(0, Folder.size() - 1)) + "Evil.dll"));
  EXPECT_EQ(plat::ListFolder(Folder + "update", "*").size(), 0u);
}

TEST_F(UpdateCheckTest, SecondEntryForTheSamePathKeepsTheFirstStagedCopy) {
  const std::string url = Serve("Twice.dll", "twice");
  SetConfig(Entry("1v0v0r00", "sdll\\Twice.dll", "1.0.0.0", Md5OfString("twice"), url) +
            Entry("1v0v0r00", "sdll\\Twice.dll", "1.0.0.1", Md5OfString("twice"), url));
  EXPECT_TRUE(CheckForUpdates());
  std::string staged;
  EXPECT_TRUE(plat::ReadWholeFile(Folder + "update" + D + "sdll" + D + "Twice.dll", staged));
  EXPECT_EQ(staged, "twice");
  EXPECT_TRUE(Traced("Could not move "));
  EXPECT_FALSE(Traced("No updates found"));
}

}  // namespace
