#pragma once
// The file version of a program or DLL as text. Any thread.
#include <string>

// "major.minor.release.build" from the file's version resource, or "" when
// the file is missing or has no readable version.
std::string GetFileVersionString(const std::string& path);
