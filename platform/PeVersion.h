#pragma once
// The file version from the version resource of a Windows program or DLL
// (PE32 or PE32+), read straight from the file's bytes. The Windows backend
// can ask the system instead; this reader lets any platform read the version
// of a Windows file. Any thread may call these functions.
//
// The resource looked up is the one Windows' version functions use: type
// RT_VERSION (16), id 1, the first language listed. Its VS_VERSIONINFO block
// must carry a VS_FIXEDFILEINFO with the signature 0xFEEF04BD; out receives
// the file version (not the product version) as major, minor, release, build.
// Every read is bounds-checked: corrupt or hostile files give false.
#include <cstdint>
#include <string>

namespace plat {

// Reads only the headers and the parts of the file the lookup needs. False
// when the file cannot be read or has no readable file version.
bool ReadPeFileVersion(const std::string& utf8Path, uint16_t out[4]);

// The same on a whole file held in memory.
bool ParsePeFileVersion(const std::string& fileBytes, uint16_t out[4]);

}  // namespace plat
