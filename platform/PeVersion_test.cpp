#include "platform/PeVersion.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <functional>

namespace plat {
namespace {

using TVersion = std::array<uint16_t, 4>;

// What a hand-made image holds; each field can be spoiled by a test.
struct TImageShape {
  uint16_t Magic = 0x10B;
  uint32_t RvaCount = 16;
  uint32_t ResourceRva = 0x1000;
  uint32_t RawOffset = 0x200;
  std::vector<uint32_t> TypeIds = {3, 16};  // an icon type before RT_VERSION
  uint32_t NameId = 1;
  uint32_t Signature = 0xFEEF04BD;
  uint16_t ValueLength = 52;
  uint32_t FileMs = 0x00010014;  // 1.20
  uint32_t FileLs = 0x012C0FA0;  // 300.4000
};

void Put16(std::string& b, size_t at, uint32_t v) {
  if (b.size() < at + 2) b.resize(at + 2);
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& b, size_t at, uint32_t v) {
  Put16(b, at, v & 0xFFFF);
  Put16(b, at + 2, v >> 16);
}

// DOS header, PE headers, one .rsrc section whose last bytes are the
// VS_VERSIONINFO block, so any shorter prefix of the image lacks part of it.
std::string BuildImage(const TImageShape& shape) {
  std::string b(0x200, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  Put32(b, 0x3C, 0x40);
  b.replace(0x40, 4, std::string("PE\0\0", 4));
  const bool plus = shape.Magic == 0x20B;
  const uint32_t optionalSize = plus ? 240 : 224;
  Put16(b, 0x44, plus ? 0x8664 : 0x14C);
  Put16(b, 0x46, 1);  // one section
  Put16(b, 0x54, optionalSize);
  const size_t opt = 0x58;
  Put16(b, opt, shape.Magic);
  Put32(b, opt + (plus ? 108 : 92), shape.RvaCount);
  const size_t dirs = opt + (plus ? 112 : 96);

  // The resource tree: type directory, name directory, language directory,
  // data entry, then the version block.
  std::string r;
  const size_t typeCount = shape.TypeIds.size();
  const size_t nameDir = 16 + 8 * typeCount;
  const size_t langDir = nameDir + 24;
  const size_t dataEntry = langDir + 24;
  const size_t block = dataEntry + 16;
  Put16(r, 14, static_cast<uint32_t>(typeCount));
  for (size_t i = 0; i < typeCount; ++i) {
    Put32(r, 16 + 8 * i, shape.TypeIds[i]);
    Put32(r, 20 + 8 * i, 0x80000000u | static_cast<uint32_t>(nameDir));
  }
  Put16(r, nameDir + 14, 1);
  Put32(r, nameDir + 16, shape.NameId);
  Put32(r, nameDir + 20, 0x80000000u | static_cast<uint32_t>(langDir));
  Put16(r, langDir + 14, 1);
  Put32(r, langDir + 16, 0x409);
  Put32(r, langDir + 20, static_cast<uint32_t>(dataEntry));

  std::string v;
  const std::u16string key = u"VS_VERSION_INFO";
  for (size_t i = 0; i < key.size(); ++i) Put16(v, 6 + 2 * i, key[i]);
  Put16(v, 6 + 2 * key.size(), 0);  // ends at 38, padded to 40
  Put16(v, 2, shape.ValueLength);
  const size_t fixed = 40;
  Put32(v, fixed, shape.Signature);
  Put32(v, fixed + 4, 0x00010000);
  Put32(v, fixed + 8, shape.FileMs);
  Put32(v, fixed + 12, shape.FileLs);
  Put32(v, fixed + 16, 0x00090008);  // product version 9.8.7.6: must not be taken
  Put32(v, fixed + 20, 0x00070006);
  Put32(v, fixed + 48, 0);
  Put16(v, 0, static_cast<uint32_t>(v.size()));

  Put32(r, dataEntry, 0x1000 + static_cast<uint32_t>(block));
  Put32(r, dataEntry + 4, static_cast<uint32_t>(v.size()));
  r.resize(block);
  r += v;

  Put32(b, dirs + 16, shape.ResourceRva);
  Put32(b, dirs + 20, static_cast<uint32_t>(r.size()));
  const size_t section = opt + optionalSize;
  b.replace(section, 5, ".rsrc");
  Put32(b, section + 8, static_cast<uint32_t>(r.size()));
  Put32(b, section + 12, 0x1000);
  Put32(b, section + 16, static_cast<uint32_t>(r.size()));
  Put32(b, section + 20, shape.RawOffset);
  b.resize(0x200);
  return b + r;
}

TVersion Parse(const std::string& bytes, bool& ok) {
  uint16_t out[4] = {0, 0, 0, 0};
  ok = ParsePeFileVersion(bytes, out);
  return {out[0], out[1], out[2], out[3]};
}

TEST(ParsePeFileVersion, ReadsTheFileVersionOfPe32AndPe32Plus) {
  for (uint16_t magic : {uint16_t{0x10B}, uint16_t{0x20B}}) {
    TImageShape shape;
    shape.Magic = magic;
    bool ok = false;
    EXPECT_EQ(Parse(BuildImage(shape), ok), (TVersion{1, 20, 300, 4000})) << std::hex << magic;
    EXPECT_TRUE(ok);
  }
  TImageShape top;
  top.FileMs = 0xFFFF0000;
  top.FileLs = 0x0000FFFF;
  top.TypeIds = {16};
  bool ok = false;
  EXPECT_EQ(Parse(BuildImage(top), ok), (TVersion{65535, 0, 0, 65535}));
  EXPECT_TRUE(ok);
}

TEST(ParsePeFileVersion, RejectsCorruptImages) {
  const struct {
    const char* What;
    std::function<void(TImageShape&)> Spoil;
  } cases[] = {
      {"unknown optional header magic", [](TImageShape& s) { s.Magic = 0x107; }},
      {"no resource directory slot", [](TImageShape& s) { s.RvaCount = 2; }},
      {"resource directory empty", [](TImageShape& s) { s.ResourceRva = 0; }},
      {"resource outside every section", [](TImageShape& s) { s.ResourceRva = 0x5000; }},
      {"resource data past the end of the file", [](TImageShape& s) { s.RawOffset = 0x7FFFFF00; }},
      {"resource data offset wraps", [](TImageShape& s) { s.RawOffset = 0xFFFFFFF0; }},
      {"no RT_VERSION", [](TImageShape& s) { s.TypeIds = {3, 14}; }},
      {"version resource with another id", [](TImageShape& s) { s.NameId = 2; }},
      {"bad fixed info signature", [](TImageShape& s) { s.Signature = 0xFEEF04BE; }},
      {"no fixed info value", [](TImageShape& s) { s.ValueLength = 0; }},
  };
  for (const auto& c : cases) {
    TImageShape shape;
    c.Spoil(shape);
    bool ok = true;
    Parse(BuildImage(shape), ok);
    EXPECT_FALSE(ok) << c.What;
  }
}

TEST(ParsePeFileVersion, RejectsSpoiledHeaderBytes) {
  const std::string good = BuildImage(TImageShape());
  const struct {
    const char* What;
    size_t At;
    uint32_t Value;
    bool Wide;
  } cases[] = {
      {"no MZ", 0, 'X', false},
      {"PE header past the end", 0x3C, 0xFFFFFFF0, true},
      {"PE header in the middle of nowhere", 0x3C, 0x100, true},
      {"no PE signature", 0x40, 'N', false},
      {"optional header too short", 0x54, 1, false},
      {"optional header past the end", 0x54, 0xFFFF, false},
      {"more sections than the file holds", 0x46, 0xFFFF, false},
      {"type entry is no directory", 0x200 + 28, 0x18, true},
      {"name directory offset past the end", 0x200 + 28, 0x8FFFFFFF, true},
  };
  for (const auto& c : cases) {
    std::string bytes = good;
    if (c.Wide) {
      Put32(bytes, c.At, c.Value);
    } else {
      Put16(bytes, c.At, c.Value);
    }
    ASSERT_EQ(bytes.size(), good.size()) << c.What;
    bool ok = true;
    Parse(bytes, ok);
    EXPECT_FALSE(ok) << c.What;
  }
}

TEST(ParsePeFileVersion, EveryTruncationFails) {
  const std::string image = BuildImage(TImageShape());
  for (size_t size = 0; size < image.size(); ++size) {
    bool ok = true;
    Parse(image.substr(0, size), ok);
    EXPECT_FALSE(ok) << "cut at " << size;
  }
}

TEST(ReadPeFileVersion, ReadsFromDiskAndFailsWithoutAFile) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "karvo_peversion_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "image.dll";
  {
    std::ofstream out(file, std::ios::binary);
    out << BuildImage(TImageShape());
  }
  uint16_t v[4] = {0, 0, 0, 0};
  EXPECT_TRUE(ReadPeFileVersion(file.u8string(), v));
  EXPECT_EQ((TVersion{v[0], v[1], v[2], v[3]}), (TVersion{1, 20, 300, 4000}));
  EXPECT_FALSE(ReadPeFileVersion((dir / "absent.dll").u8string(), v));
  EXPECT_FALSE(ReadPeFileVersion(dir.u8string(), v));  // a folder
  std::filesystem::remove_all(dir);
}

// DLLs linked by the mingw tools with a real version resource (FILEVERSION
// 7,65535,0,42; PRODUCTVERSION 1,2,3,4), built when those tools exist: a
// 32-bit one (PE32) and a 64-bit one (PE32+).
#ifndef KARVO_PE_FIXTURE32
#define KARVO_PE_FIXTURE32 ""
#endif
#ifndef KARVO_PE_FIXTURE64
#define KARVO_PE_FIXTURE64 ""
#endif

class TLinkedDll : public testing::TestWithParam<const char*> {};

TEST_P(TLinkedDll, ReadsTheFileVersion) {
  const std::string path = GetParam();
  if (path.empty() || !std::filesystem::exists(std::filesystem::u8path(path)))
    GTEST_SKIP() << "fixture not built";
  uint16_t v[4] = {0, 0, 0, 0};
  ASSERT_TRUE(ReadPeFileVersion(path, v)) << path;
  EXPECT_EQ((TVersion{v[0], v[1], v[2], v[3]}), (TVersion{7, 65535, 0, 42}));
}

INSTANTIATE_TEST_SUITE_P(Mingw, TLinkedDll, testing::Values(KARVO_PE_FIXTURE32, KARVO_PE_FIXTURE64),
                         [](const testing::TestParamInfo<const char*>& info) {
                           return std::string(info.index == 0 ? "Pe32" : "Pe32Plus");
                         });

}  // namespace
}  // namespace plat
