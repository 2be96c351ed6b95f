#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "platform/Paths.h"

namespace plat {

const char* const PathDelim = "/";

std::string ProgramFile() {
  char buf[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::string ProgramFolder() { return ExtractFilePath(ProgramFile()); }

std::string ModuleFile(const void* addressInModule) {
  Dl_info info{};
  if (dladdr(addressInModule, &info) && info.dli_fname && info.dli_fname[0] == '/') return info.dli_fname;
  if (info.dli_fname) {
    char resolved[PATH_MAX];
    if (realpath(info.dli_fname, resolved)) return resolved;
  }
  return ProgramFile();
}

}  // namespace plat

namespace plat {
std::string HostPath(const std::string& unixPath) { return unixPath; }
}  // namespace plat
