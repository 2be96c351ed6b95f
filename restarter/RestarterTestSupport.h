#pragma once
// Helpers for the restarter's tests: files in a program folder fixture and the
// lines of the restarter's trace log.
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Text.h"

namespace restarter_test {

// folder + relative path with "/" turned into the platform's separator.
inline std::string In(const std::string& folder, const std::string& relative) {
  std::string path = folder;
  for (char c : relative) path += c == '/' ? std::string(plat::PathDelim) : std::string(1, c);
  return path;
}

inline void Put(const std::string& folder, const std::string& relative, const std::string& content) {
  std::string path = In(folder, relative);
  plat::ForceDirectories(plat::ExtractFilePath(path));
  plat::WriteWholeFile(path, content);
}

inline std::string Content(const std::string& folder, const std::string& relative) {
  std::string content;
  if (!plat::ReadWholeFile(In(folder, relative), content)) return "<missing>";
  return content;
}

// The messages of every trace file in programFolder's Logs\Restarter\, time stamps removed.
inline std::vector<std::string> TraceLines(const std::string& programFolder) {
  std::string folder = In(programFolder, "Logs/Restarter/");
  std::vector<std::string> lines;
  for (const plat::TDirEntry& e : plat::ListFolder(folder, "*.log")) {
    std::string bytes;
    plat::ReadWholeFile(folder + e.Name, bytes);
    std::u16string units;
    size_t start = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF ? 2 : 0;
    for (size_t i = start; i + 1 < bytes.size(); i += 2)
      units += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8));
    std::string text = plat::Utf16ToUtf8(units);
    size_t pos = 0;
    while (pos < text.size()) {
      size_t end = text.find("\r\n", pos);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(pos, end - pos);
      if (line.size() > 9) lines.push_back(line.substr(9));  // "hh:nn:ss "
      pos = end + 2;
    }
  }
  return lines;
}

}  // namespace restarter_test
