#pragma once
// What the test plug-ins write: one line per event into "<own file name>.log"
// beside the plug-in, so a test reads what each copy of a plug-in saw.
#include <fstream>
#include <string>

#include "platform/Paths.h"
#include "platform/Thread.h"

inline std::string OwnPluginFile() {
  static const char anchor = 0;
  return plat::ModuleFile(&anchor);
}

inline void Record(const std::string& what) {
  const std::string self = OwnPluginFile();
  std::ofstream out(plat::ToPath(self + ".log"), std::ios::app | std::ios::binary);
  out << what << " thread=" << plat::CurrentThreadId() << "\n";
}
