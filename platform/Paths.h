#pragma once
// Program and module folders. Folders returned here end in a path separator,
// so a file name can be appended directly. Any thread may call these.
#include <filesystem>
#include <string>

namespace plat {

// The path separator of the platform: "\" on Windows, "/" on POSIX.
extern const char* const PathDelim;

// Full path of the running process's executable.
std::string ProgramFile();
// Folder of ProgramFile(), up to and including its last separator.
std::string ProgramFolder();

// Full path of the module (executable or DLL / shared object) that contains
// the given address; pass the address of a function of that module.
std::string ModuleFile(const void* addressInModule);

// Everything of a path up to and including its last separator ("" when none);
// both "\" and "/" count as separators.
std::string ExtractFilePath(const std::string& path);
// The last component of a path.
std::string ExtractFileName(const std::string& path);
// The file name without its extension (the part from the last ".").
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// A path of the host file system ("/work/x") as this program sees it: itself
// on POSIX, the Unix drive form ("Z:\work\x") for a Windows program under Wine.
std::string HostPath(const std::string& unixPath);

// A std::filesystem path from UTF-8 text, and back.
std::filesystem::path ToPath(const std::string& utf8);
std::string FromPath(const std::filesystem::path& path);

}  // namespace plat
