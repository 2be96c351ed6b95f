// The configuration reader on arbitrary bytes: load the lines, split each.
#include "service/UpdateConfig.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : LoadTextLines(bytes)) SplitConfigLine(line);
  SplitConfigLine(bytes);
  return 0;
}
