#include "service/UpdateConfig.h"

#include <gtest/gtest.h>

namespace {

using TLines = std::vector<std::string>;

struct TCase {
  std::string Input;
  TLines Expected;
};

std::string Show(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      shown += "\\x";
      shown += kHex[c >> 4];
      shown += kHex[c & 15];
    } else {
      shown += static_cast<char>(c);
    }
  }
  return shown;
}

TEST(LoadTextLines, LineEndsAndEncodings) {
  const TCase cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},  // no extra empty line after the last line end
      {"a\nb", {"a", "b"}},
      {"a\rb\r\nc\n", {"a", "b", "c"}},
      {"a\n\r b", {"a", "", " b"}},  // LF then CR: two line ends
      {"\n\n", {"", ""}},
      {"a\r\r\nb", {"a", "", "b"}},
      {" x ;\t", {" x ;\t"}},
      // Windows-1252 without a byte-order mark.
      {"Z\xB3ote \x80\x81", {"Z\xC2\xB3ote \xE2\x82\xAC\xC2\x81"}},
      {"\xEF\xBB\xBF" "a\xC5\x82\n", {"a\xC5\x82"}},       // UTF-8 with its mark
      {"\xEF\xBB\xBF", {}},
      {"\xEF\xBB\xBF" "a\xFF", {"a\xEF\xBF\xBD"}},       // malformed UTF-8
      {std::string("\xFF\xFE" "a\0\r\0\n\0\x42\x01", 10), {"a", "\xC5\x82"}},  // UTF-16LE
      {std::string("\xFE\xFF\0a\0\n\x01\x42", 8), {"a", "\xC5\x82"}},          // UTF-16BE
      {std::string("\xFF\xFE" "a\0b", 5), {"a"}},  // odd last byte dropped
      {std::string("\xFF\xFE=\xD8\0\xDE", 6), {"\xF0\x9F\x98\x80"}},  // surrogate pair
      {std::string("a\nb\0c\nd", 7), {"a", "b"}},  // a NUL ends the text
  };
  for (const auto& c : cases) EXPECT_EQ(LoadTextLines(c.Input), c.Expected) << Show(c.Input);
}

TEST(SplitConfigLine, StrictSplittingWithQuotes) {
  const TCase cases[] = {
      {"", {}},
      {"a", {"a"}},
      {";", {"", ""}},
      {";;", {"", "", ""}},
      {"a;b;c;d;e", {"a", "b", "c", "d", "e"}},
      {"a;b;c;d;e;", {"a", "b", "c", "d", "e", ""}},
      {";a", {"", "a"}},
      {" a ; b\t;", {" a ", " b\t", ""}},  // blanks belong to the fields
      {" ", {" "}},
      {"\"a;b\";c", {"a;b", "c"}},
      {"\"say \"\"hi\"\"\";x", {"say \"hi\"", "x"}},
      {"\"\"", {""}},
      {"\"\";", {"", ""}},
      {"\"\"\"\"", {"\""}},
      {"a\"b;c", {"a\"b", "c"}},  // a quote inside a field is text
      {" \"a\"", {" \"a\""}},     // not at the start: no quoting
      {"\"ab\"cd;e", {"ab", "cd", "e"}},  // text after the closing quote
      {"\"a\" \"b\"", {"a", " \"b\""}},
      {"\"ab\"\"cd\"ef", {"ab\"cd", "ef"}},
      {"\"abc", {"ab"}},  // never closed: last character lost
      {"\"a", {""}},
      {"\"", {""}},
      {"x;\"abc;d", {"x", "abc;"}},
      {"\"a\"\"b", {"a\""}},
      {"\"ab\"\"", {"ab"}},
      {std::string("a;b\0;c", 6), {"a", "b"}},  // a NUL ends the line
      {"4v3v001r00;sdll\\KARVOBackup.dll;1.0.0.2;0123456789abcdef0123456789abcdef;http://h/x",
       {"4v3v001r00", "sdll\\KARVOBackup.dll", "1.0.0.2", "0123456789abcdef0123456789abcdef",
        "http://h/x"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitConfigLine(c.Input), c.Expected) << Show(c.Input);
}

}  // namespace
