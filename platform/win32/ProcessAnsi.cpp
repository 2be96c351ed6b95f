// ANSI program paths and child processes on Windows.
#include "platform/AnsiProcess.h"

#include "platform/win32/WinSupport.h"

namespace plat {

bool AnsiProcessesAvailable() { return true; }

std::string ProgramFileAnsi() {
  std::string buffer(MAX_PATH, '\0');
  for (;;) {
    DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) {
      buffer.resize(n);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string SystemFolderAnsi() {
  char buffer[MAX_PATH + 1] = {};
  UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
  if (n == 0 || n > MAX_PATH) return std::string();
  std::string folder(buffer, n);
  while (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool RunAnsiCommandLine(const std::string& appPath, const std::string& commandLine) {
  // CreateProcessA may write into the command line buffer.
  std::string cmd = commandLine;
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(appPath.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  TWinHandle process(pi.hProcess);
  TWinHandle thread(pi.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  return true;
}

}  // namespace plat
