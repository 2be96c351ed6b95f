// The downloader against the fixture update server's modes.
#include "service/DownloaderThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "tests/support/Fixtures.h"

namespace {

class DownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(fixtures::Port("KARVO_UPDATE_DIR"), 0) << "the update server fixture is not running";
    const std::string served = fixtures::UpdateServerRoot() + "downloader" + plat::PathDelim;
    ASSERT_TRUE(plat::ForceDirectories(served));
    // 300 KiB that no shifted or repeated copy can imitate.
    Body.resize(300 * 1024);
    uint32_t x = 2463534242u;
    for (char& c : Body) {
      x ^= x << 13, x ^= x >> 17, x ^= x << 5;
      c = static_cast<char>(x);
    }
    ASSERT_TRUE(plat::WriteWholeFile(served + "payload.bin", Body));
    Folder = fixtures::ScratchFolder("downloader");
    Destination = Folder + "payload.bin";
  }
  void TearDown() override { plat::RemoveTree(Folder); }

  static std::string Url(const std::string& mode) {
    return fixtures::UpdateServerUrl() + "/mode/" + mode + "/downloader/payload.bin";
  }
  int32_t Download(const std::string& url, uint32_t timeoutMs = TDownloaderThread::DefaultTimeout) {
    TDownloaderThread thread(url, Destination, timeoutMs);
    EXPECT_TRUE(thread.Start());
    return thread.WaitFor();
  }
  std::string Written() const {
    std::string content;
    EXPECT_TRUE(plat::ReadWholeFile(Destination, content)) << "no file at " << Destination;
    return content;
  }

  std::string Body, Folder, Destination;
};

enum class TLeft { Whole, Half, Nothing, Any };

TEST_F(DownloaderTest, SuccessOnlyForAWholeAnnouncedBodyWithA2xxStatus) {
  struct {
    const char* Mode;
    int32_t Expected;
    TLeft Left;
  } const cases[] = {
      {"normal", 1, TLeft::Whole},
      // The redirect answers' own ends must not decide.
      {"redirect1", 1, TLeft::Whole},
      {"redirect3", 1, TLeft::Whole},
      // No announced length: ends at once, nothing is written.
      {"chunked", 0, TLeft::Nothing},
      {"nolength", 0, TLeft::Nothing},
      // The file holds exactly what arrived, never padded to the announced size.
      {"truncated", 0, TLeft::Half},
      // An error status fails even when its body arrives whole.
      {"error500", 0, TLeft::Any},
      {"error404", 0, TLeft::Any},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Mode);
    EXPECT_EQ(Download(Url(c.Mode)), c.Expected);
    const std::string written = Written();
    if (c.Left == TLeft::Whole) EXPECT_TRUE(written == Body) << written.size() << " bytes";
    if (c.Left == TLeft::Half) EXPECT_TRUE(written == Body.substr(0, Body.size() / 2)) << written.size() << " bytes";
    if (c.Left == TLeft::Nothing) EXPECT_EQ(written.size(), 0u);
  }
}

TEST_F(DownloaderTest, MissingFileOnTheServerFails) {
  EXPECT_EQ(Download(fixtures::UpdateServerUrl() + "/downloader/no-such-file"), 0);
}

TEST_F(DownloaderTest, ExistingDestinationIsEmptiedEvenWhenTheDownloadFails) {
  for (const std::string url : {std::string("http://127.0.0.1:1/refused"), Url("chunked")}) {
    SCOPED_TRACE(url);
    ASSERT_TRUE(plat::WriteWholeFile(Destination, "content of an earlier download"));
    EXPECT_EQ(Download(url), 0);
    EXPECT_EQ(Written().size(), 0u);
  }
}

TEST_F(DownloaderTest, DestinationThatCannotBeCreatedFailsBeforeAnyRequest) {
  Destination = Folder + "missing" + plat::PathDelim + "payload.bin";
  TDownloaderThread thread(Url("normal"), Destination);
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(thread.WaitFor(), 0);
  EXPECT_FALSE(thread.FatalError().empty());
  EXPECT_FALSE(plat::FileExists(Destination));
}

TEST_F(DownloaderTest, TerminatedThreadAbortsAtTheFirstData) {
  TDownloaderThread thread(Url("slow") + "?rate=20480", Destination);
  thread.Terminate();
  ASSERT_TRUE(thread.Start());
  EXPECT_EQ(thread.WaitFor(), 0);
  EXPECT_LT(Written().size(), Body.size());
}

// The server sends half the body and then stays silent for 60 s: the read
// time-out ends the transfer long before that (here set to 2 s; the product
// uses the default of 30000 ms for both limits).
TEST_F(DownloaderTest, ReadTimeoutEndsAStalledTransfer) {
  EXPECT_EQ(TDownloaderThread::DefaultTimeout, 30000u);
  const auto started = std::chrono::steady_clock::now();
  EXPECT_EQ(Download(Url("stall"), 2000), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(45));
  EXPECT_TRUE(Written() == Body.substr(0, Body.size() / 2));
}

}  // namespace
