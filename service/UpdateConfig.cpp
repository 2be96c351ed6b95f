#include "service/UpdateConfig.h"

#include <algorithm>

#include "platform/Text.h"

std::vector<std::string> LoadTextLines(const std::string& fileBytes) {
  std::string text = plat::Utf16ToUtf8(plat::DecodeTextFile(fileBytes));
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
