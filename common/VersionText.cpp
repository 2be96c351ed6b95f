#include "common/VersionText.h"

namespace {

bool IsScanBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// One "%d": blanks, optional sign, digits. The value wraps modulo 2^32.
bool ScanInt(const std::string& text, size_t& pos, int32_t& out) {
  const size_t n = text.size();
  while (pos < n && IsScanBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < n && (text[pos] == '+' || text[pos] == '-')) {
    negative = text[pos] == '-';
    ++pos;
  }
  if (pos >= n || text[pos] < '0' || text[pos] > '9') return false;
  uint32_t value = 0;
  while (pos < n && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10u + static_cast<uint32_t>(text[pos] - '0');
    ++pos;
  }
  if (negative) value = 0u - value;
  out = static_cast<int32_t>(value);
  return true;
}

// Four numbers with the three literal separators between them.
bool ScanFour(const std::string& rawText, const char separators[3], int32_t out[4]) {
  // The scan reads a NUL-terminated string: nothing after a NUL takes part.
  const std::string text = rawText.substr(0, rawText.find('\0'));
  size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) {
      if (pos >= text.size() || text[pos] != separators[i - 1]) return false;
      ++pos;
    }
    if (!ScanInt(text, pos, out[i])) return false;
  }
  return true;
}

// -1, 0 or 1 as a is before, the same as or after b.
int CompareFour(const int32_t a[4], const int32_t b[4]) {
  for (int i = 0; i < 4; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

}  // namespace

bool ScanFileVersion(const std::string& text, int32_t out[4]) {
  static const char kSeparators[3] = {'.', '.', '.'};
  return ScanFour(text, kSeparators, out);
}

bool ScanDbVersion(const std::string& text, int32_t out[4]) {
  static const char kSeparators[3] = {'v', 'v', 'r'};
  return ScanFour(text, kSeparators, out);
}

bool IsNewerVersion(const std::string& offered, const std::string& installed) {
  if (installed.empty()) return true;
  int32_t a[4];
  int32_t b[4];
  if (!ScanFileVersion(offered, a) || !ScanFileVersion(installed, b)) return false;
  return CompareFour(a, b) > 0;
}

bool IsDatabaseVersionAtLeast(const std::string& version, const std::string& required) {
  int32_t a[4];
  int32_t b[4];
  if (!ScanDbVersion(version, a) || !ScanDbVersion(required, b)) return false;
  return CompareFour(a, b) >= 0;
}
