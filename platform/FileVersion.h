#pragma once
// The file version of a program or DLL, from its version resource. Any thread.
//
// Windows: the system's version functions. POSIX: the PE reader (PeVersion.h),
// so Linux tools read the versions of Windows files.
#include <cstdint>
#include <string>

namespace plat {

// Fills out with major, minor, release and build of the file version (not the
// product version). False when the file is missing, unreadable, or has no
// version resource with fixed file information.
bool ReadFileVersion(const std::string& path, uint16_t out[4]);

}  // namespace plat
