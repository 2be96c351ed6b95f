#include "platform/Paths.h"
#include "platform/win32/WinSupport.h"

namespace plat {

const char* const PathDelim = "\\";

namespace {
std::string ModuleFileOf(HMODULE module) {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(module, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) return std::string();
    if (n < buf.size()) {
      buf.resize(n);
      return U(buf);
    }
    buf.resize(buf.size() * 2);
  }
}
}  // namespace

std::string ProgramFile() { return ModuleFileOf(nullptr); }
std::string ProgramFolder() { return ExtractFilePath(ProgramFile()); }

std::string ModuleFile(const void* addressInModule) {
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          static_cast<LPCWSTR>(addressInModule), &module))
    return ProgramFile();
  return ModuleFileOf(module);
}

}  // namespace plat

namespace plat {
std::string HostPath(const std::string& unixPath) {
  if (unixPath.empty() || unixPath[0] != '/') return unixPath;
  std::string out = "Z:" + unixPath;
  for (char& c : out) {
    if (c == '/') c = '\\';
  }
  return out;
}
}  // namespace plat
