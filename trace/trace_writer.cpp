// Test helper: appends numbered lines to the day's file of a trace folder.
// trace_writer <folder> <tag> <count>
#include <string>

#include "platform/Program.h"
#include "trace/XYTrace.h"

int ProgramMain(const std::vector<std::string>& args) {
  if (args.size() != 3) return 2;
  SetTraceFolder(args[0]);
  SetTraceLevel(TraceProgress);
  int count = std::stoi(args[2]);
  for (int i = 0; i < count; ++i) WriteTrace(TraceProgress, args[1] + " line " + std::to_string(i));
  return 0;
}
