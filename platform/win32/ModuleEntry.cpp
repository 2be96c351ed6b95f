#include "platform/ModuleEntry.h"
#include "platform/win32/WinSupport.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ModuleAttach();
  if (reason == DLL_PROCESS_DETACH) ModuleDetach();
  return TRUE;
}
