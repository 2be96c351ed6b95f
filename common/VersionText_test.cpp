#include "common/VersionText.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct TScanCase {
  const char* Text;
  bool Ok;
  std::array<int32_t, 4> Numbers;
};

std::string Show(const std::string& text) {
  std::string shown;
  for (char c : text) shown += (c == '\0') ? std::string("\\0") : std::string(1, c);
  return "\"" + shown + "\"";
}

TEST(ScanFileVersion, FollowsFormattedScanRules) {
  const TScanCase cases[] = {
      {"1.2.3.4", true, {1, 2, 3, 4}},
      {"65535.0.10.007", true, {65535, 0, 10, 7}},
      {" \t\n\v\f\r1. 2.\t3.\r\n4", true, {1, 2, 3, 4}},  // blanks before numbers
      {"+1.-2.+3.-0", true, {1, -2, 3, 0}},
      {"1.2.3.4 beta", true, {1, 2, 3, 4}},  // the rest is ignored
      {"1.2.3.4.5", true, {1, 2, 3, 4}},
      {"1.2.3.4x", true, {1, 2, 3, 4}},
      {"1.2.3", false, {}},
      {"1.2.3.", false, {}},
      {"1 .2.3.4", false, {}},  // no blank is skipped before a separator
      {"1..2.3.4", false, {}},
      {"1,2,3,4", false, {}},
      {"1.2.3.- 4", false, {}},  // no blank between sign and digits
      {"1.2.3.+", false, {}},
      {"a.2.3.4", false, {}},
      {"", false, {}},
      {"   ", false, {}},
      {"0x1.2.3.4", false, {}},  // %d is decimal: reads 0, then 'x' is no '.'
      // The low 32 bits of a number too large for 32 bits.
      {"4294967297.2147483648.-2147483649.99999999999", true,
       {1, INT32_MIN, INT32_MAX, static_cast<int32_t>(99999999999LL & 0xFFFFFFFF)}},
  };
  for (const auto& c : cases) {
    int32_t out[4] = {-7, -7, -7, -7};
    EXPECT_EQ(ScanFileVersion(c.Text, out), c.Ok) << Show(c.Text);
    if (c.Ok) {
      EXPECT_EQ((std::array<int32_t, 4>{out[0], out[1], out[2], out[3]}), c.Numbers) << Show(c.Text);
    }
  }
}

TEST(ScanFileVersion, NulByteEndsTheText) {
  int32_t out[4];
  EXPECT_TRUE(ScanFileVersion(std::string("1.2.3.4\0.5", 10), out));
  EXPECT_FALSE(ScanFileVersion(std::string("1.2.3\0.4", 8), out));
}

TEST(ScanDbVersion, NeedsLowerCaseLettersInOrder) {
  const TScanCase cases[] = {
      {"4v3v001r00", true, {4, 3, 1, 0}},
      {"1v0v0r00", true, {1, 0, 0, 0}},
      {" 4v 3v\t1r -2tail", true, {4, 3, 1, -2}},
      {"4V3v001r00", false, {}},
      {"4v3v001R00", false, {}},
      {"4v3v001", false, {}},
      {"4v3r001v00", false, {}},
      {"4.3.1.0", false, {}},
      {"4 v3v1r0", false, {}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    int32_t out[4] = {-7, -7, -7, -7};
    EXPECT_EQ(ScanDbVersion(c.Text, out), c.Ok) << Show(c.Text);
    if (c.Ok) {
      EXPECT_EQ((std::array<int32_t, 4>{out[0], out[1], out[2], out[3]}), c.Numbers) << Show(c.Text);
    }
  }
}

struct TCompareCase {
  const char* Left;
  const char* Right;
  bool Expected;
};

TEST(IsNewerVersion, ComparesNumbersNotText) {
  const TCompareCase cases[] = {
      {"1.10.0.0", "1.9.0.0", true},
      {"2.0.0.0", "1.99.99.99", true},
      {"1.9.0.0", "1.10.0.0", false},
      {"1.2.3.4", "1.2.3.4", false},
      {"01.2.3.4", "1.2.3.4", false},  // leading zeros: the same version
      {"1.2.3.5", "1.2.3.4", true},
      {"1.2.3.4", "1.2.3.5", false},
      {"1.2.3.4 beta", "1.2.3.3", true},
      {"1.2.3", "1.0.0.0", false},  // offered text unreadable
      {"1.2.3", "", true},          // nothing installed: anything offered is newer
      {"", "", true},
      {"garbage", "", true},
      {"9.9.9.9", "1.2", false},  // installed text unreadable
      {"1.0.0.0", "-1.0.0.0", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsNewerVersion(c.Left, c.Right), c.Expected) << c.Left << " vs " << c.Right;
  }
}

TEST(IsDatabaseVersionAtLeast, AgainstTheBackupMinimum) {
  const TCompareCase cases[] = {
      {"4v3v001r00", "4v3v001r00", true},
      {"4v3v1r0", "4v3v001r00", true},
      {"4v2v999r99", "4v3v001r00", false},
      {"5v0v0r0", "4v3v001r00", true},
      {"4v3v001r01", "4v3v001r00", true},
      {"4v3v000r99", "4v3v001r00", false},
      {"4v3v001", "4v3v001r00", false},     // no r part
      {"4V3V001R00", "4v3v001r00", false},  // upper-case letters
      {"", "4v3v001r00", false},
      {"9v9v9r9", "", false},        // required text unreadable
      {"9v9v9r9", "4.3.1.0", false},
      {"1v0v0r00", "1v0v0r00", true},  // the default database version
      {"1v0v0r00", "1v0v0r01", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsDatabaseVersionAtLeast(c.Left, c.Right), c.Expected) << c.Left << " vs " << c.Right;
  }
}

}  // namespace
