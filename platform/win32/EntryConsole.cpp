#include "platform/Program.h"
#include "platform/win32/WinSupport.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(plat::U(argv[i]));
  return ProgramMain(args);
}
