#include "platform/IniFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/Text.h"

namespace plat {
namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

std::u16string Trim(const std::u16string& text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// Values keep their case and are returned as stored; names are compared
// through this folded form.
std::u16string FoldCase(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

std::u16string StripQuotes(const std::u16string& value) {
  if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
      value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Cuts to the 2047 units a 2048-unit buffer holds, without splitting a pair.
std::u16string Truncate(std::u16string value) {
  constexpr size_t kMaxUnits = 2047;
  if (value.size() <= kMaxUnits) return value;
  size_t cut = kMaxUnits;
  if (value[cut - 1] >= 0xD800 && value[cut - 1] <= 0xDBFF) --cut;
  value.resize(cut);
  return value;
}

bool ParseDecimal(const std::string& text, int32_t& out) {
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos == text.size()) return false;
  int64_t value = 0;
  for (; pos < text.size(); ++pos) {
    if (text[pos] < '0' || text[pos] > '9') return false;
    value = value * 10 + (text[pos] - '0');
    if (value > int64_t{1} << 31) return false;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return false;
  out = static_cast<int32_t>(value);
  return true;
}

bool ParseHex(const std::string& digits, int32_t& out) {
  if (digits.empty()) return false;
  uint64_t value = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return false;
    }
    value = value * 16 + static_cast<uint64_t>(digit);
    if (value > 0xFFFFFFFFu) return false;
  }
  out = static_cast<int32_t>(static_cast<uint32_t>(value));
  return true;
}

}  // namespace

TIniFile TIniFile::Load(const std::string& utf8Path) {
  std::ifstream in(std::filesystem::u8path(utf8Path), std::ios::binary);
  if (!in) return TIniFile();
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return TIniFile();
  return FromBytes(bytes);
}

TIniFile TIniFile::FromBytes(const std::string& fileBytes) {
  TIniFile ini;
  ini.FLoaded = true;
  const std::u16string text = DecodeTextFile(fileBytes);
  bool inSection = false;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find_first_of(u"\r\n", pos);
    if (end == std::u16string::npos) end = text.size();
    const std::u16string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == u';') continue;
    if (line[0] == u'[') {
      const size_t close = line.find(u']');
      if (close != std::u16string::npos) {
        ini.FSections.push_back(TSection{Utf16ToUtf8(FoldCase(Trim(line.substr(1, close - 1)))), {}});
        inSection = true;
        continue;
      }
      // A '[' without ']' is no section heading; it may still be a key line.
    }
    const size_t equals = line.find(u'=');
    if (equals == std::u16string::npos || !inSection) continue;
    const std::u16string value = Truncate(StripQuotes(Trim(line.substr(equals + 1))));
    ini.FSections.back().FEntries.push_back(
        TEntry{Utf16ToUtf8(FoldCase(Trim(line.substr(0, equals)))), Utf16ToUtf8(value)});
  }
  return ini;
}

const std::string* TIniFile::Find(const std::string& section, const std::string& key) const {
  const std::string sectionName = Utf16ToUtf8(FoldCase(Trim(Utf8ToUtf16(section))));
  const std::string keyName = Utf16ToUtf8(FoldCase(Trim(Utf8ToUtf16(key))));
  for (const TSection& s : FSections) {
    if (s.FName != sectionName) continue;
    for (const TEntry& e : s.FEntries) {
      if (e.FKey == keyName) return &e.FValue;
    }
    return nullptr;  // only the first section of a name counts
  }
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  const std::string* value = Find(section, key);
  return value ? *value : defaultValue;
}

int32_t TIniFile::ReadInteger(const std::string& section, const std::string& key,
                              int32_t defaultValue) const {
  const std::string* value = Find(section, key);
  if (!value) return defaultValue;
  int32_t number = 0;
  const bool hex = value->size() > 2 && (*value)[0] == '0' && ((*value)[1] == 'x' || (*value)[1] == 'X');
  const bool ok = hex ? ParseHex(value->substr(2), number) : ParseDecimal(*value, number);
  return ok ? number : defaultValue;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

}  // namespace plat
