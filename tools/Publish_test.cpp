#include "tools/Publish.h"

#include <gtest/gtest.h>

#include "common/Md5.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/Fixtures.h"

namespace {

class PublishTest : public ::testing::Test {
 protected:
  std::string Root = fixtures::ScratchFolder("publish");
  std::string Release = Root + "release";
  std::string Out = Root + "out";
  std::string Dll;

  void SetUp() override {
    ASSERT_TRUE(plat::ReadWholeFile(PE_FIXTURE_DLL, Dll)) << "the version resource fixture is built with mingw";
    plat::ForceDirectories(Release + "/sdll");
    plat::WriteWholeFile(Release + "/sdll/KARVOBackup.dll", Dll);
    plat::WriteWholeFile(Release + "/KARVOService.exe", Dll);
  }
  void TearDown() override { plat::RemoveTree(Root); }
  TPublishOptions Options() {
    TPublishOptions o;
    o.ReleaseFolder = Release;
    o.BaseUrl = "http://127.0.0.1:8480/";
    o.RequiredDbVersion = "4v3v001r00";
    o.OutputFolder = Out;
    return o;
  }
};

TEST_F(PublishTest, WritesConfigurationLinesAndFilesAtTheirUrls) {
  std::vector<TPublishedFile> files;
  std::string error;
  ASSERT_TRUE(Publish(Options(), files, error)) << error;
  std::string md5 = Md5OfString(Dll);
  std::string expected =
      "4v3v001r00;KARVOService.exe;7.65535.0.42;" + md5 + ";http://127.0.0.1:8480/files/KARVOService.exe\r\n" +
      "4v3v001r00;sdll\\KARVOBackup.dll;7.65535.0.42;" + md5 + ";http://127.0.0.1:8480/files/sdll/KARVOBackup.dll\r\n";
  std::string config;
  ASSERT_TRUE(plat::ReadWholeFile(Out + "/patch/KarvoService/config", config));
  EXPECT_EQ(config, expected);
  std::string served;
  ASSERT_TRUE(plat::ReadWholeFile(Out + "/files/sdll/KARVOBackup.dll", served));
  EXPECT_EQ(served, Dll);
}

TEST_F(PublishTest, UnversionedFileIsRefusedUnlessAVersionIsStated) {
  plat::WriteWholeFile(Release + "/read me.txt", "text");
  std::vector<TPublishedFile> files;
  std::string error;
  EXPECT_FALSE(Publish(Options(), files, error));
  EXPECT_NE(error.find("read me.txt"), std::string::npos) << error;
  EXPECT_FALSE(plat::DirectoryExists(Out)) << "a refused release writes nothing";

  TPublishOptions o = Options();
  o.UnversionedVersion = "1.2";
  EXPECT_FALSE(Publish(o, files, error)) << "a stated version must be four numbers";
  o.UnversionedVersion = "1.0.0.3";
  ASSERT_TRUE(Publish(o, files, error)) << error;
  std::string config;
  plat::ReadWholeFile(Out + "/patch/KarvoService/config", config);
  EXPECT_NE(config.find("4v3v001r00;read me.txt;1.0.0.3;" + Md5OfString("text") +
                        ";http://127.0.0.1:8480/files/read%20me.txt\r\n"),
            std::string::npos)
      << config;
}

TEST_F(PublishTest, FieldThatWouldBreakTheLineIsRefused) {
  std::vector<TPublishedFile> files;
  std::string error;
  TPublishOptions o = Options();
  o.RequiredDbVersion = "4v3v001r00;x";
  EXPECT_FALSE(Publish(o, files, error));
  plat::WriteWholeFile(Release + "/a;b.dll", Dll);
  EXPECT_FALSE(Publish(Options(), files, error));
  EXPECT_FALSE(plat::DirectoryExists(Out));
}

}  // namespace
