#include <cctype>

#include "platform/File.h"
#include "platform/Files.h"

namespace plat {

bool MatchesMask(const std::string& name, const std::string& mask) {
  // Iterative wildcard match with backtracking to the last "*".
  size_t n = 0, m = 0, starM = std::string::npos, starN = 0;
  auto same = [](char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && same(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      starM = m++;
      starN = n;
    } else if (starM != std::string::npos) {
      m = starM + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*') ++m;
  return m == mask.size();
}

bool ReadWholeFile(const std::string& path, std::string& content) {
  content.clear();
  TFile f = TFile::OpenRead(path);
  if (!f) return false;
  char buf[65536];
  for (;;) {
    int64_t n = f.Read(buf, sizeof buf);
    if (n < 0) return false;
    if (n == 0) return true;
    content.append(buf, static_cast<size_t>(n));
  }
}

bool WriteWholeFile(const std::string& path, const std::string& content) {
  TFile f = TFile::CreateTruncate(path);
  return f && (content.empty() || f.Write(content.data(), content.size()));
}

}  // namespace plat
