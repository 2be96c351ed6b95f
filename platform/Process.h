#pragma once
// Processes: start a program, or run one and wait for it. Any thread.
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

uint32_t CurrentProcessId();

// Starts a program with its arguments and working folder and does not wait.
// Windows: the arguments are quoted onto one command line as the C runtime
// parses it back. True when the process was created.
bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder);

// Starts a program, waits for it to end and gives its exit code, or -1 when it
// could not be started.
int RunAndWait(const std::string& program, const std::vector<std::string>& args,
               const std::string& workingFolder = std::string());

}  // namespace plat
