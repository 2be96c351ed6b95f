
#include "platform/Program.h"
#include "platform/win32/WinSupport.h"

namespace {
std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; argv && i < argc; ++i) args.push_back(plat::U(argv[i]));
  if (argv) LocalFree(argv);
  return args;
}
}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) { return ProgramMain(Arguments()); }
