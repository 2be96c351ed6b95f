#include "platform/Text.h"

#include <cctype>

namespace plat {
namespace {

// Decodes one UTF-8 sequence at text[i]; malformed input gives U+FFFD.
char32_t NextCodePoint(const std::string& text, size_t& i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  unsigned char c = byte(i);
  int extra = c < 0x80 ? 0 : (c >> 5) == 0x6 ? 1 : (c >> 4) == 0xE ? 2 : (c >> 3) == 0x1E ? 3 : -1;
  if (extra == 0) {
    ++i;
    return c;
  }
  if (extra < 0 || i + extra >= text.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t cp = c & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    unsigned char cc = byte(i + k);
    if ((cc & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = (cp << 6) | (cc & 0x3F);
  }
  i += extra + 1;
  static const char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0xFFFD;
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

template <typename Str>
void AppendUtf16(Str& out, char32_t cp) {
  if (cp < 0x10000) {
    out += static_cast<typename Str::value_type>(cp);
  } else {
    cp -= 0x10000;
    out += static_cast<typename Str::value_type>(0xD800 + (cp >> 10));
    out += static_cast<typename Str::value_type>(0xDC00 + (cp & 0x3FF));
  }
}

template <typename Str>
std::string FromUtf16Units(const Str& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char32_t u = static_cast<char32_t>(text[i]) & 0xFFFF;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size()) {
      char32_t v = static_cast<char32_t>(text[i + 1]) & 0xFFFF;
      if (v >= 0xDC00 && v <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
  }
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) AppendUtf16(out, NextCodePoint(text, i));
  return out;
}

std::string Utf16ToUtf8(const std::u16string& text) { return FromUtf16Units(text); }

std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    char32_t cp = NextCodePoint(text, i);
    if constexpr (sizeof(wchar_t) == 2) {
      AppendUtf16(out, cp);
    } else {
      out += static_cast<wchar_t>(cp);
    }
  }
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  if constexpr (sizeof(wchar_t) == 2) {
    return FromUtf16Units(text);
  } else {
    std::string out;
    for (wchar_t c : text) {
      char32_t cp = static_cast<char32_t>(c);
      AppendUtf8(out, (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ? 0xFFFD : cp);
    }
    return out;
  }
}

namespace {
// Windows-1252 0x80..0x9F; the five unassigned bytes map to the C1 controls
// of the same value, as Windows converts them.
const char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

std::u16string DecodeTextFile(const std::string& bytes) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) return Utf8ToUtf16(bytes.substr(3));
  const bool little = bytes.compare(0, 2, "\xFF\xFE") == 0;
  const bool big = bytes.compare(0, 2, "\xFE\xFF") == 0;
  std::u16string out;
  if (little || big) {
    out.reserve(bytes.size() / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
      const auto b0 = static_cast<unsigned char>(bytes[i]);
      const auto b1 = static_cast<unsigned char>(bytes[i + 1]);
      out += static_cast<char16_t>(big ? (b0 << 8) | b1 : (b1 << 8) | b0);
    }
    return out;
  }
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

bool SameTextAscii(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

}  // namespace plat
