// POSIX has no ANSI code page and none of the Windows tools: nothing here runs.
#include "platform/AnsiProcess.h"

namespace plat {

bool AnsiProcessesAvailable() { return false; }
std::string ProgramFileAnsi() { return std::string(); }
std::string SystemFolderAnsi() { return std::string(); }
bool RunAnsiCommandLine(const std::string&, const std::string&) { return false; }

}  // namespace plat
