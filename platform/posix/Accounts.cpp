// POSIX has no well-known Windows accounts: the look-up always fails.
#include "platform/Accounts.h"

namespace plat {

bool LookupWorldGroupNameAnsi(std::string&) { return false; }

}  // namespace plat
