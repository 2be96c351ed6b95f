#include "common/FileVersion.h"

#include "platform/FileVersion.h"

std::string GetFileVersionString(const std::string& path) {
  uint16_t v[4] = {0, 0, 0, 0};
  if (!plat::ReadFileVersion(path, v)) return std::string();
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." +
         std::to_string(v[3]);
}
