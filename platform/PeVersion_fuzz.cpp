// The PE version reader on arbitrary file bytes: it must stay in bounds.
#include "platform/PeVersion.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  uint16_t version[4];
  plat::ParsePeFileVersion(bytes, version);
  return 0;
}
