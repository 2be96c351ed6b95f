#pragma once
// File and folder operations. Paths are UTF-8. None of these throws; each
// reports failure by its result. Any thread may call them.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

bool FileExists(const std::string& path);       // an existing file, not a folder
bool DirectoryExists(const std::string& path);  // an existing folder
// Creates the folder and every missing parent; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
// Deletes one file (read-only files included on POSIX; on Windows a read-only
// file is refused as the system does).
bool RemoveFile(const std::string& path);
// Deletes a folder with everything in it; what cannot be removed stays.
// True when the folder is gone afterwards.
bool RemoveTree(const std::string& path);
// Removes an empty folder.
bool RemoveFolder(const std::string& path);
// Moves or renames a file; fails when the target exists.
bool RenameFile(const std::string& from, const std::string& to);

struct TDirEntry {
  std::string Name;  // name only, no folder
  bool IsDirectory = false;
  bool Hidden = false;    // Windows attribute; POSIX: the name starts with "."
  bool System = false;    // Windows attribute; always false on POSIX
  bool ReadOnly = false;
  uint64_t Size = 0;
};

// Entries of a folder whose names match a wildcard pattern ("*.dll", "*.log",
// "*"), case-insensitively, with every attribute (hidden and system entries
// included), in the order the file system reports them. "." and ".." are not
// listed. A missing folder gives an empty list.
std::vector<TDirEntry> ListFolder(const std::string& folder, const std::string& pattern);

// Wildcard match with "*" and "?", case-insensitive for ASCII letters, as the
// Windows file search does it for long names.
bool MatchesMask(const std::string& name, const std::string& mask);

// Reads a whole file into memory; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& content);
// Writes a whole file (created or truncated); false on any failure.
bool WriteWholeFile(const std::string& path, const std::string& content);

}  // namespace plat
