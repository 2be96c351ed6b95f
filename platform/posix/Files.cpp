#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <system_error>

#include "platform/Files.h"
#include "platform/Paths.h"

namespace plat {

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(ToPath(path), ec);
  return DirectoryExists(path);
}

bool RemoveFile(const std::string& path) { return FileExists(path) && unlink(path.c_str()) == 0; }

bool RemoveFolder(const std::string& path) { return rmdir(path.c_str()) == 0; }

bool RemoveTree(const std::string& path) {
  std::error_code ec;
  std::filesystem::remove_all(ToPath(path), ec);
  return !DirectoryExists(path);
}

bool RenameFile(const std::string& from, const std::string& to) {
  struct stat st;
  if (lstat(to.c_str(), &st) == 0) return false;  // never replace an existing target
  if (!FileExists(from)) return false;
  return std::rename(from.c_str(), to.c_str()) == 0;
}

std::vector<TDirEntry> ListFolder(const std::string& folder, const std::string& pattern) {
  std::vector<TDirEntry> out;
  std::string dir = folder.empty() ? "." : folder;
  DIR* d = opendir(dir.c_str());
  if (!d) return out;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == ".." || !MatchesMask(name, pattern)) continue;
    std::string full = dir;
    if (full.back() != '/') full += '/';
    full += name;
    struct stat st;
    if (stat(full.c_str(), &st) != 0) continue;
    TDirEntry entry;
    entry.Name = name;
    entry.IsDirectory = S_ISDIR(st.st_mode);
    entry.Hidden = name[0] == '.';
    entry.ReadOnly = access(full.c_str(), W_OK) != 0;
    entry.Size = static_cast<uint64_t>(st.st_size);
    out.push_back(entry);
  }
  closedir(d);
  return out;
}

}  // namespace plat
