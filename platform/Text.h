#pragma once
// Text conversion at the boundaries of the programs. Inside, text is UTF-8 in
// std::string. Any thread may call these functions.
#include <string>

namespace plat {

// UTF-16 code units, as Windows APIs and the trace files want them.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The platform's wide strings (UTF-16 on Windows, UTF-32 on POSIX).
std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// The system's single-byte code pages. Characters the code page cannot hold
// become '?'. POSIX has no such code pages: there these pass UTF-8 through.
std::string Utf8ToAnsi(const std::string& text);
std::string AnsiToUtf8(const std::string& text);
std::string Utf8ToOem(const std::string& text);
std::string OemToUtf8(const std::string& text);

// A text file's content as UTF-16: a byte-order mark selects UTF-8, UTF-16LE
// or UTF-16BE; without one the bytes are read as Windows-1252, the ANSI code
// page of the machines the programs run on. An odd last byte of UTF-16 is
// dropped; malformed UTF-8 becomes U+FFFD.
std::u16string DecodeTextFile(const std::string& bytes);

// Case-insensitive comparison of ASCII letters (the rest compares as bytes).
bool SameTextAscii(const std::string& a, const std::string& b);
std::string UpperAscii(std::string text);

}  // namespace plat
