#include "tests/support/Fixtures.h"

#include <cstdlib>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"

namespace fixtures {

std::string StateFolder(const char* variable) {
  const char* value = std::getenv(variable);
  if (!value || !*value) return std::string();
  std::string folder = plat::HostPath(value);
  if (folder.back() != '/' && folder.back() != '\\') folder += plat::PathDelim;
  return folder;
}

int Port(const char* variable) {
  std::string folder = StateFolder(variable);
  std::string text;
  if (folder.empty() || !plat::ReadWholeFile(folder + "port", text)) return 0;
  try {
    return std::stoi(text);
  } catch (...) {
    return 0;
  }
}

std::string StandInFolder() { return StateFolder("KARVO_STANDIN_DIR"); }
std::string StandInAddress() { return "127.0.0.1," + std::to_string(Port("KARVO_STANDIN_DIR")); }

void SetStandInScript(const std::string& json) {
  plat::WriteWholeFile(StandInFolder() + "script.json", json);
  plat::RemoveFile(StandInFolder() + "record.jsonl");
}

std::string StandInRecord() {
  std::string text;
  plat::ReadWholeFile(StandInFolder() + "record.jsonl", text);
  return text;
}

std::string ServerIniText(const std::string& address, const std::string& more) {
  return "[Server]\r\nserver=" + address + "\r\nDriver=FreeTDS\r\n" + more;
}

std::string UpdateServerRoot() { return StateFolder("KARVO_UPDATE_ROOT"); }
std::string UpdateServerUrl() { return "http://127.0.0.1:" + std::to_string(Port("KARVO_UPDATE_DIR")); }

std::string ScratchFolder(const std::string& tag) {
  std::string folder = plat::FromPath(std::filesystem::temp_directory_path()) + plat::PathDelim + "karvo-" +
                       std::to_string(plat::CurrentProcessId()) + "-" + tag + plat::PathDelim;
  plat::RemoveTree(folder);
  plat::ForceDirectories(folder);
  return folder;
}

}  // namespace fixtures
