// Stands in for KARVOServiceRestarter in the hand-off tests: records its
// arguments and working folder beside itself, then releases the semaphore
// named by its first argument.
#include <filesystem>
#include <fstream>

#include "platform/Paths.h"
#include "platform/Program.h"
#include "platform/Sync.h"

int ProgramMain(const std::vector<std::string>& args) {
  {
    std::ofstream out(plat::ToPath(plat::ProgramFolder() + "restarter.log"), std::ios::binary);
    out << "args=" << args.size();
    for (const std::string& a : args) out << "\n" << a;
    out << "\ncwd=" << plat::FromPath(std::filesystem::current_path()) << "\n";
  }
  if (!args.empty()) plat::TSemaphore::Open(args[0]).Release();
  return 0;
}
