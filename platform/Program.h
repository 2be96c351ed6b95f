#pragma once
// The program's own entry. The platform provides the real entry point (Unicode
// on Windows, for GUI and console programs) and calls ProgramMain with the
// command-line arguments after the program name, as UTF-8.
#include <string>
#include <vector>

int ProgramMain(const std::vector<std::string>& args);
