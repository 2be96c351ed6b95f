#include "common/Md5.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/File.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace {

TEST(Md5, Rfc1321TestSuite) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5OfString(c.first), c.second) << '"' << c.first << '"';
}

// Lengths around the padding boundaries (55/56/57, 63/64/65 bytes) and bytes
// above 0x7F, checked against digests from md5sum.
TEST(Md5, PaddingBoundariesAndHighBytes) {
  const std::pair<std::string, std::string> cases[] = {
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(57, 'a'), "652b906d60af96844ebd21b674f35e93"},
      {std::string(63, 'a'), "b06521f39153d618550606be297466d5"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
      {std::string(65, 'a'), "c743a45e0d2e6a95cb859adae0248435"},
      {std::string(3, '\xff'), "8597d4e7e65352a302b63e07bc01a7da"},
  };
  for (const auto& c : cases) EXPECT_EQ(Md5OfString(c.first), c.second) << c.first.size() << " bytes";
}

TEST(Md5, SplitAddsGiveTheOneShotDigest) {
  std::string input;
  for (int i = 0; i < 200; ++i) input += static_cast<char>((i * 37 + 11) & 0xFF);
  const std::string expected = Md5OfString(input);
  for (size_t split = 0; split <= input.size(); ++split) {
    TMd5 md5;
    md5.Add(input.data(), split);
    md5.Add(input.data() + split, input.size() - split);
    EXPECT_EQ(md5.HexDigest(), expected) << "split at " << split;
  }
  TMd5 byteByByte;
  for (char c : input) byteByByte.Add(&c, 1);
  EXPECT_EQ(byteByByte.HexDigest(), expected);
}

TEST(Md5, DigestLeavesTheRunningStateAlone) {
  TMd5 md5;
  md5.Add("message ", 8);
  const std::string first = md5.HexDigest();
  EXPECT_EQ(md5.HexDigest(), first);
  EXPECT_EQ(first, Md5OfString("message "));
  md5.Add("digest", 6);
  EXPECT_EQ(md5.HexDigest(), "f96b697d7cb7938d525a2f31aaf161d0");
  md5.Reset();
  EXPECT_EQ(md5.HexDigest(), "d41d8cd98f00b204e9800998ecf8427e");
}


// GetFileMD5 reads the file itself: in pieces, by its Unicode name.
class FileMd5Test : public ::testing::Test {
 protected:
  void SetUp() override {
    Folder = plat::FromPath(std::filesystem::temp_directory_path()) + plat::PathDelim + "karvo-md5-" +
             std::to_string(plat::CurrentProcessId()) + plat::PathDelim;
    plat::RemoveTree(Folder);
    ASSERT_TRUE(plat::ForceDirectories(Folder));
  }
  void TearDown() override { plat::RemoveTree(Folder); }
  std::string Folder;
};

TEST_F(FileMd5Test, DigestOfFileContentAcrossBufferBoundaries) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  // A name outside any single-byte code page.
  const std::string path = Folder + "\xd0\x9f\xd1\x80\xd0\xbe\xd0\xb1\xd0\xb0-\xe6\x97\xa5.bin";
  for (const auto& c : cases) {
    ASSERT_TRUE(plat::WriteWholeFile(path, c.first));
    EXPECT_EQ(GetFileMD5(path), c.second) << '"' << c.first << '"';
  }
  // Larger than the read buffer and not a multiple of it.
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 131 + (i >> 11));
  ASSERT_TRUE(plat::WriteWholeFile(path, big));
  EXPECT_EQ(GetFileMD5(path), Md5OfString(big));
}

TEST_F(FileMd5Test, UnreadableFileGivesEmptyTextNotTheDigestOfNothing) {
  EXPECT_EQ(GetFileMD5(Folder + "missing.bin"), "");
  // A folder opens on POSIX but cannot be read.
  EXPECT_EQ(GetFileMD5(Folder), "");
  EXPECT_EQ(GetFileMD5(""), "");
}

#ifdef KARVO_LARGE_FILE_TEST
// A sparse file of 4 GiB of zeros and 4 more bytes: no 32-bit size or count
// may wrap. The digest comes from md5sum.
TEST_F(FileMd5Test, FileLargerThan4GiB) {
  const std::string path = Folder + "big.bin";
  ASSERT_TRUE(plat::WriteWholeFile(path, ""));
  std::filesystem::resize_file(plat::ToPath(path), 4294967296ull);
  plat::TFile file = plat::TFile::OpenAppend(path);
  ASSERT_TRUE(file.Write("tail", 4));
  file.Close();
  EXPECT_EQ(GetFileMD5(path), "4a1ae8314d38811a82aa7766b3fe9c20");
}
#endif

}  // namespace
