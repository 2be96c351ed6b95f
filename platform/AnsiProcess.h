#pragma once
// Program paths and child processes in the system's single-byte ANSI code
// page, for a program that works with ANSI strings throughout. Any thread.
//
// POSIX has no ANSI code page and no such tools: AnsiProcessesAvailable() is
// false there, the paths are empty and nothing is started.
#include <string>

namespace plat {

bool AnsiProcessesAvailable();

// Full path of the running process's executable.
std::string ProgramFileAnsi();
// The system folder without a trailing separator ("C:\Windows\system32").
std::string SystemFolderAnsi();

// Starts the program at appPath (a full path: no search path is used) with the
// given command line, in this console, with this environment and current
// folder, no inherited handles; waits without a time limit until it has ended.
// False when it could not be started.
bool RunAnsiCommandLine(const std::string& appPath, const std::string& commandLine);

}  // namespace plat
