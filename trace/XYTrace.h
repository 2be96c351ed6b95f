#pragma once
// The daily trace log of a module: one UTF-16LE file per local day in the
// module's trace folder, one time-stamped line per call, kept for 30 days.
//
// Every module that links this unit (the service, the backup plug-in, the
// restarter) has its own state: its own folder, level, file and lock. Any
// thread may write; nothing here ever reports an error to its caller.
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/File.h"

// Levels in use: errors and results, and progress.
constexpr int32_t TraceError = 10;
constexpr int32_t TraceProgress = 20;

// Sets the folder the day's files are written to. It must end in a path
// separator; the file name is appended directly. Closes the open file.
void SetTraceFolder(const std::string& folder);
// Sets the threshold: a line is written when its level is at most the
// threshold. 0 (and any negative level, which becomes 0) writes nothing.
void SetTraceLevel(int32_t level);
// Writes "hh:nn:ss message" CR LF into the day's file when the level admits it.
void WriteTrace(int32_t level, const std::string& message);

// The state behind the three functions; one object per module. Tests create
// their own objects to play several modules or processes.
class XYTraceHelper {
 public:
  XYTraceHelper() = default;
  ~XYTraceHelper() = default;
  XYTraceHelper(const XYTraceHelper&) = delete;
  XYTraceHelper& operator=(const XYTraceHelper&) = delete;

  void SetFolder(const std::string& folder);
  void SetLevel(int32_t level);
  void Write(int32_t level, const std::string& message);

 private:
  void OpenDayFile(const plat::TLocalTime& now);

  plat::TFile FileHandle;
  int32_t Level = 0;  // read without the lock for the level test
  std::mutex Lock;    // serialises everything after the level test
  std::string Folder;
  plat::TLocalTime FileDate;
};

// Deletes the dated files ("yyyy?MM?dd*.log") in folder that are more than 30
// days older than today; other names and folders are left alone.
void DeleteOldTraceFiles(const std::string& folder, const plat::TLocalTime& today);

// The module's own trace state.
XYTraceHelper& ModuleTrace();
