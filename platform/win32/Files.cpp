#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/win32/WinSupport.h"

namespace plat {

bool FileExists(const std::string& path) {
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
  DWORD a = GetFileAttributesW(W(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path) {
  if (path.empty()) return false;
  std::string p = path;
  while (p.size() > 1 && (p.back() == '\\' || p.back() == '/')) p.pop_back();
  if (DirectoryExists(p)) return true;
  std::string parent = ExtractFilePath(p);
  if (!parent.empty() && parent != p + "\\" && parent.size() < p.size()) {
    std::string trimmed = parent;
    while (trimmed.size() > 1 && (trimmed.back() == '\\' || trimmed.back() == '/')) trimmed.pop_back();
    // Stop at a drive root ("C:") or a UNC share.
    if (!(trimmed.size() == 2 && trimmed[1] == ':') && !DirectoryExists(trimmed)) ForceDirectories(trimmed);
  }
  CreateDirectoryW(W(p).c_str(), nullptr);
  return DirectoryExists(p);
}

bool RemoveFile(const std::string& path) { return DeleteFileW(W(path).c_str()) != 0; }

bool RemoveFolder(const std::string& path) { return RemoveDirectoryW(W(path).c_str()) != 0; }

bool RemoveTree(const std::string& path) {
  std::string folder = path;
  while (!folder.empty() && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
  if (!DirectoryExists(folder)) return true;
  for (const TDirEntry& e : ListFolder(folder + "\\", "*")) {
    std::string full = folder + "\\" + e.Name;
    if (e.IsDirectory) {
      RemoveTree(full);
    } else {
      if (e.ReadOnly) SetFileAttributesW(W(full).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(W(full).c_str());
    }
  }
  RemoveDirectoryW(W(folder).c_str());
  return !DirectoryExists(folder);
}

bool RenameFile(const std::string& from, const std::string& to) {
  return MoveFileExW(W(from).c_str(), W(to).c_str(), MOVEFILE_COPY_ALLOWED) != 0;
}

std::vector<TDirEntry> ListFolder(const std::string& folder, const std::string& pattern) {
  std::vector<TDirEntry> out;
  std::string base = folder;
  if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileExW(W(base + pattern).c_str(), FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr, 0);
  if (h == INVALID_HANDLE_VALUE) return out;
  do {
    std::string name = U(fd.cFileName);
    if (name == "." || name == "..") continue;
    TDirEntry e;
    e.Name = name;
    e.IsDirectory = (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    e.Hidden = (fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    e.System = (fd.dwFileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0;
    e.ReadOnly = (fd.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0;
    e.Size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
    out.push_back(e);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return out;
}

}  // namespace plat
