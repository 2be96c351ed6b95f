// GrantFolderAccess: no arguments, writes nothing itself, exit code 0 always.
#include <cstdio>

#include "folderaccess/FolderAccess.h"
#include "platform/AnsiProcess.h"
#include "platform/Program.h"

int ProgramMain(const std::vector<std::string>&) {
  try {
    if (!plat::AnsiProcessesAvailable()) {
      std::fputs("GrantFolderAccess is not available on this platform.\n", stderr);
      return 0;
    }
    GrantFullAccess(GrantFolderOf(plat::ProgramFileAnsi()));
  } catch (...) {
    // Nothing may change the exit code.
  }
  return 0;
}
