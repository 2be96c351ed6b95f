#include "platform/IniFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace plat {
namespace {

TEST(TIniFile, ReadsThePrivateProfileLayout) {
  const TIniFile ini = TIniFile::FromBytes(
      "top=before any section\r\n"
      "[Server]\r\n"
      "server = HOST\\SQL2019 \r\n"
      "server=second key of that name\r\n"
      "\t[ Debug ]  trailing text\n"
      "Log=1\n"
      "[debug]\n"
      "Extra=in a repeated section\n"
      "[Values]\n"
      "dq=\"  quoted  \"\n"
      "sq='single'\n"
      "mixed=\"a'\n"
      "lone=\"\n"
      "inner=a \"b\" c\n"
      "twice=\"\"x\"\"\n"
      "inline=value ; not a comment\n"
      "; server=commented out\n"
      "  ;Key=commented after blanks\n"
      "#hash=kept\n"
      "no equals sign here\n"
      "empty=\n"
      "a=b=c\n"
      "[broken\n"
      "afterBroken=still in Values\n");
  ASSERT_TRUE(ini.Loaded());
  const struct {
    const char* Section;
    const char* Key;
    const char* Expected;
  } cases[] = {
      {"Server", "server", "HOST\\SQL2019"},
      {"SERVER", "SeRvEr", "HOST\\SQL2019"},
      {" Server\t", "server", "HOST\\SQL2019"},
      {"", "top", "<default>"},
      {"Debug", "Log", "1"},
      {"Debug", "Extra", "<default>"},  // only the first section of a name counts
      {"Values", "dq", "  quoted  "},
      {"Values", "sq", "single"},
      {"Values", "mixed", "\"a'"},
      {"Values", "lone", "\""},
      {"Values", "inner", "a \"b\" c"},
      {"Values", "twice", "\"x\""},  // one pair only
      {"Values", "inline", "value ; not a comment"},
      {"Values", "; server", "<default>"},
      {"Values", ";Key", "<default>"},
      {"Values", "#hash", "kept"},
      {"Values", "empty", ""},
      {"Values", "a", "b=c"},
      {"Values", "afterBroken", "still in Values"},
      {"Values", "missing", "<default>"},
      {"Missing", "server", "<default>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ini.ReadString(c.Section, c.Key, "<default>"), c.Expected) << c.Section << "/" << c.Key;
  }
}

TEST(TIniFile, ReadIntegerAcceptsOnlyWholeNumbers) {
  const struct {
    const char* Value;
    int32_t Expected;  // -99 is the default
  } cases[] = {
      {"1", 1},
      {"0", 0},
      {"-17", -17},
      {"+17", 17},
      {"007", 7},
      {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN},
      {"2147483648", -99},
      {"99999999999999999999", -99},
      {"0x10", 16},
      {"0XfF", 255},
      {"0x7FFFFFFF", INT32_MAX},
      {"0xFFFFFFFF", -1},
      {"0x000000010", 16},
      {"0x100000000", -99},
      {"0x", -99},
      {"0xg", -99},
      {"-0x10", -99},
      {"$10", -99},
      {"", -99},
      {"yes", -99},
      {"12abc", -99},
      {"1 2", -99},
      {"-", -99},
      {" 42 ", 42},    // blanks around the value are removed first
      {"\"42\"", 42},  // and so are quotes
  };
  for (const auto& c : cases) {
    const TIniFile ini = TIniFile::FromBytes(std::string("[Debug]\nLog=") + c.Value + "\n");
    EXPECT_EQ(ini.ReadInteger("Debug", "Log", -99), c.Expected) << '"' << c.Value << '"';
  }
}

TEST(TIniFile, ReadBoolIsIntegerNotZero) {
  const struct {
    const char* Value;
    bool Default;
    bool Expected;
  } cases[] = {
      {"Log=1", false, true},   {"Log=0", true, false},  {"Log=0x10", false, true},
      {"Log=-1", false, true},  {"Log=", false, false},  {"Log=", true, true},
      {"Log=true", false, false}, {"Log=true", true, true}, {"Other=1", false, false},
  };
  for (const auto& c : cases) {
    const TIniFile ini = TIniFile::FromBytes(std::string("[Debug]\n") + c.Value + "\n");
    EXPECT_EQ(ini.ReadBool("Debug", "Log", c.Default), c.Expected) << c.Value << " default " << c.Default;
  }
}

TEST(TIniFile, ValueIsCutToWhatTheWindowsBufferHolds) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // two UTF-16 units
  std::string polish;                              // 2100 one-unit characters of two bytes
  for (int i = 0; i < 2100; ++i) polish += "\xC5\x82";
  const struct {
    std::string Value;
    std::string Expected;
  } cases[] = {
      {std::string(3000, 'x'), std::string(2047, 'x')},
      {std::string(2047, 'x'), std::string(2047, 'x')},
      {"\"" + std::string(2047, 'y') + "\"", std::string(2047, 'y')},  // quotes go before the cut
      {std::string(2045, 'z') + emoji, std::string(2045, 'z') + emoji},
      {std::string(2046, 'z') + emoji, std::string(2046, 'z')},  // the pair would not fit whole
      {polish, polish.substr(0, 2047 * 2)},
  };
  for (const auto& c : cases) {
    const std::string got = TIniFile::FromBytes("\xEF\xBB\xBF[S]\nk=" + c.Value).ReadString("S", "k", "");
    EXPECT_EQ(got.size(), c.Expected.size());
    EXPECT_TRUE(got == c.Expected) << "value of " << c.Value.size() << " bytes";
  }
}

TEST(TIniFile, DecodesByByteOrderMark) {
  auto utf16le = [](const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
    return bytes;
  };
  auto utf16be = [](const std::u16string& text) {
    std::string bytes = "\xFE\xFF";
    for (char16_t c : text) {
      bytes += static_cast<char>(c >> 8);
      bytes += static_cast<char>(c & 0xFF);
    }
    return bytes;
  };
  const struct {
    std::string Bytes;
    const char* Expected;
  } cases[] = {
      {"[Server]\r\nserver=Host\xB3\x80\n", "Host\xC2\xB3\xE2\x82\xAC"},  // Windows-1252
      {"\xEF\xBB\xBF[Server]\nserver=\xC5\x81\xC3\xB3\xC4\x91\xC5\xBA", "\xC5\x81\xC3\xB3\xC4\x91\xC5\xBA"},
      {utf16le(u"[Server]\r\nserver=\u0141\u00F3d\u017A\r\n"), "\xC5\x81\xC3\xB3" "d\xC5\xBA"},
      {utf16be(u"[Server]\nserver=\u0141\n"), "\xC5\x81"},
      // Without a mark, UTF-8 bytes are taken as Windows-1252.
      {"[Server]\nserver=\xC5\x81", "\xC3\x85\xC2\x81"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TIniFile::FromBytes(c.Bytes).ReadString("Server", "server", "?"), c.Expected);
  }
}

TEST(TIniFile, LoadFromDisk) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "karvo_inifile_test";
  std::filesystem::create_directories(dir);
  const std::filesystem::path file = dir / "server.ini";
  {
    std::ofstream out(file, std::ios::binary);
    out << "[Server]\r\nserver=db01\r\n[Debug]\r\nLog=0x10\r\n";
  }
  const TIniFile ini = TIniFile::Load(file.u8string());
  EXPECT_TRUE(ini.Loaded());
  EXPECT_EQ(ini.ReadString("server", "SERVER", ""), "db01");
  EXPECT_TRUE(ini.ReadBool("Debug", "Log", false));

  const TIniFile missing = TIniFile::Load((dir / "absent.ini").u8string());
  EXPECT_FALSE(missing.Loaded());
  EXPECT_EQ(missing.ReadString("Server", "server", "dflt"), "dflt");
  EXPECT_FALSE(missing.ReadBool("Debug", "Log", false));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace plat
