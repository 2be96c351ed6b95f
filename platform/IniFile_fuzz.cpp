// The INI reader on arbitrary file content.
#include "platform/IniFile.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const plat::TIniFile ini = plat::TIniFile::FromBytes(bytes);
  ini.ReadString("Server", "server", "");
  ini.ReadInteger("Debug", "Log", 0);
  ini.ReadBool("debug", "LOG", true);
  // A short prefix of the input as the names, to reach entries it defines.
  const std::string name = bytes.substr(0, size % 8);
  ini.ReadString(name, name, "");
  ini.ReadInteger(name, "Log", -1);
  return 0;
}
