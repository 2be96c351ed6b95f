#include "tests/support/Fixtures.h"

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <filesystem>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"

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

std::string ReadTraceFile(const std::string& path) {
  std::string bytes;
  if (!plat::ReadWholeFile(path, bytes)) return std::string();
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2)
    text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                  (static_cast<unsigned char>(bytes[i + 1]) << 8));
  return plat::Utf16ToUtf8(text);
}

std::string ReadTraceFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (const plat::TDirEntry& e : plat::ListFolder(folder, "*.log"))
    if (!e.IsDirectory) names.push_back(e.Name);
  std::sort(names.begin(), names.end());  // "yyyy-MM-dd.log" sorts by day
  std::string all;
  for (const std::string& name : names) all += ReadTraceFile(folder + name);
  return all;
}

std::string ScratchFolder(const std::string& tag) {
  std::string folder = plat::FromPath(std::filesystem::temp_directory_path()) + plat::PathDelim + "karvo-" +
                       std::to_string(plat::CurrentProcessId()) + "-" + tag + plat::PathDelim;
  plat::RemoveTree(folder);
  plat::ForceDirectories(folder);
  return folder;
}

}  // namespace fixtures
