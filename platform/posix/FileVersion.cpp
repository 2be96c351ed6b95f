#include "platform/FileVersion.h"

#include "platform/PeVersion.h"

namespace plat {

bool ReadFileVersion(const std::string& path, uint16_t out[4]) { return ReadPeFileVersion(path, out); }

}  // namespace plat
