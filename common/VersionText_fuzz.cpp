// Both version readers and comparisons on arbitrary text.
#include "common/VersionText.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  int32_t out[4];
  ScanFileVersion(text, out);
  ScanDbVersion(text, out);
  const size_t half = size / 2;
  const std::string a = text.substr(0, half);
  const std::string b = text.substr(half);
  IsNewerVersion(a, b);
  // A readable version is always at least itself.
  if (ScanDbVersion(a, out) && !IsDatabaseVersionAtLeast(a, a)) std::abort();
  return 0;
}
