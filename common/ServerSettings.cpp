#include "common/ServerSettings.h"

#include "platform/Files.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"

std::string ServerIniPath() { return plat::ProgramFolder() + "server.ini"; }

std::string ReadServerSettings(bool* debugLog) {
  const std::string path = ServerIniPath();
  if (!plat::FileExists(path)) {
    if (debugLog) *debugLog = false;
    return std::string();
  }
  plat::TIniFile ini = plat::TIniFile::Load(path);
  std::string address = ini.ReadString("Server", "server", "");
  if (debugLog) *debugLog = ini.ReadBool("Debug", "Log", false);
  return address;
}

std::string ReadServerIniString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) {
  const std::string path = ServerIniPath();
  if (!plat::FileExists(path)) return defaultValue;
  return plat::TIniFile::Load(path).ReadString(section, key, defaultValue);
}
