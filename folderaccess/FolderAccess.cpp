#include "folderaccess/FolderAccess.h"

#include "platform/Accounts.h"
#include "platform/AnsiProcess.h"

int GetWorldGroupName(std::string& name) {
  // The name stays in the ANSI code page: the tool's command line is handed
  // over as ANSI text, so that is the code page it is read back in.
  std::string found;
  if (!plat::LookupWorldGroupNameAnsi(found)) return 1;
  name = found;
  return 0;
}

std::string GrantFolderOf(const std::string& programFile) {
  std::string folder = programFile.substr(0, programFile.find_last_of('\\') + 1);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

std::string BuildCaclsCommandLine(const std::string& folder, const std::string& account) {
  return std::string("cacls \"") + folder + "\" /t /e /g " + account + ":f";
}

void GrantFullAccessWith(const std::string& toolPath, const std::string& folder) {
  std::string name;
  GetWorldGroupName(name);
  plat::RunAnsiCommandLine(toolPath, BuildCaclsCommandLine(folder, name));
}

void GrantFullAccess(const std::string& folder) {
  // By its full path: the search path would start with the program's own
  // folder, the very folder being opened to everybody.
  GrantFullAccessWith(plat::SystemFolderAnsi() + "\\cacls.exe", folder);
}
