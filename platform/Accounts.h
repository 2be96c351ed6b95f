#pragma once
// Names of well-known accounts. Any thread.
//
// POSIX has no such accounts: the look-up is not available there and fails.
#include <string>

namespace plat {

// The account name of the World group (S-1-1-0) on the local computer, in the
// system's ANSI code page (it depends on the language of Windows). False when
// the identifier cannot be built or looked up; name is then unchanged.
bool LookupWorldGroupNameAnsi(std::string& name);

}  // namespace plat
