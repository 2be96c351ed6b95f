#include "service/UpdateConfig.h"

#include <algorithm>

#include "platform/Text.h"

namespace {

// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls
// of the same value, as Windows converts them.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

std::u16string DecodeUtf16(const std::string& bytes, size_t start, bool bigEndian) {
  std::u16string out;
  out.reserve((bytes.size() - start) / 2);
  for (size_t i = start; i + 1 < bytes.size(); i += 2) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
    out += static_cast<char16_t>(bigEndian ? (b0 << 8) | b1 : (b1 << 8) | b0);
  }
  return out;
}

// The whole file as UTF-8; an odd trailing byte of UTF-16 is dropped and
// malformed UTF-8 becomes U+FFFD.
std::string DecodeText(const std::string& bytes) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    return plat::Utf16ToUtf8(plat::Utf8ToUtf16(bytes.substr(3)));
  }
  if (bytes.compare(0, 2, "\xFF\xFE") == 0) return plat::Utf16ToUtf8(DecodeUtf16(bytes, 2, false));
  if (bytes.compare(0, 2, "\xFE\xFF") == 0) return plat::Utf16ToUtf8(DecodeUtf16(bytes, 2, true));
  std::u16string wide;
  wide.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    wide += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return plat::Utf16ToUtf8(wide);
}

}  // namespace

std::vector<std::string> LoadTextLines(const std::string& fileBytes) {
  std::string text = DecodeText(fileBytes);
  text.resize(std::min(text.size(), text.find('\0')));
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.size(), text.find_first_of("\r\n", pos));
    lines.push_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

namespace {

// A quoted field starting at line[pos] == '"'. Leaves pos after the closing
// quote, or at the end when the quote is never closed.
std::string ReadQuoted(const std::string& line, size_t& pos) {
  std::string field;
  size_t i = pos + 1;
  for (;;) {
    const size_t quote = line.find('"', i);
    if (quote == std::string::npos) {
      // Unclosed: the rest without its last character.
      field.append(line, i, std::string::npos);
      if (!field.empty()) field.pop_back();
      pos = line.size();
      return field;
    }
    field.append(line, i, quote - i);
    if (quote + 1 < line.size() && line[quote + 1] == '"') {
      field += '"';
      i = quote + 2;
      continue;
    }
    pos = quote + 1;
    return field;
  }
}

}  // namespace

std::vector<std::string> SplitConfigLine(const std::string& rawLine) {
  const std::string line = rawLine.substr(0, rawLine.find('\0'));
  std::vector<std::string> fields;
  size_t pos = 0;
  while (pos < line.size()) {
    if (line[pos] == '"') {
      fields.push_back(ReadQuoted(line, pos));
    } else {
      const size_t end = std::min(line.size(), line.find(';', pos));
      fields.push_back(line.substr(pos, end - pos));
      pos = end;
    }
    if (pos < line.size() && line[pos] == ';') {
      ++pos;
      if (pos == line.size()) fields.emplace_back();
    }
  }
  return fields;
}
