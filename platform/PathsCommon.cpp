#include "platform/Paths.h"

namespace plat {

std::string ExtractFilePath(const std::string& path) {
  size_t pos = path.find_last_of("\\/");
  return pos == std::string::npos ? std::string() : path.substr(0, pos + 1);
}

std::string ExtractFileName(const std::string& path) {
  size_t pos = path.find_last_of("\\/");
  return pos == std::string::npos ? path : path.substr(pos + 1);
}

std::string ChangeFileExt(const std::string& path, const std::string& ext) {
  size_t sep = path.find_last_of("\\/");
  size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (sep != std::string::npos && dot < sep)) return path + ext;
  return path.substr(0, dot) + ext;
}

std::filesystem::path ToPath(const std::string& utf8) {
#if defined(__cpp_char8_t)
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return std::filesystem::u8path(utf8);
#endif
}

std::string FromPath(const std::filesystem::path& path) {
  auto s = path.u8string();
  return std::string(s.begin(), s.end());
}

}  // namespace plat
