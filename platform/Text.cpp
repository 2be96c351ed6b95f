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
