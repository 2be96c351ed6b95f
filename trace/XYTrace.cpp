#include "trace/XYTrace.h"

#include <atomic>
#include <cstdio>

#include "platform/Files.h"
#include "platform/Text.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int Number(const std::string& s, size_t from, size_t count) {
  int n = 0;
  for (size_t i = from; i < from + count; ++i) n = n * 10 + (s[i] - '0');
  return n;
}

std::string TwoDigits(unsigned v) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02u", v % 100);
  return buf;
}

std::string DayFileName(const plat::TLocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04u-%02u-%02u.log", t.Year, t.Month, t.Day);
  return buf;
}

bool SameDay(const plat::TLocalTime& a, const plat::TLocalTime& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

// The line as UTF-16LE bytes, independent of the host's byte order.
std::string EncodeLine(const plat::TLocalTime& now, const std::string& message) {
  std::u16string text = plat::Utf8ToUtf16(TwoDigits(now.Hour) + ":" + TwoDigits(now.Minute) + ":" +
                                          TwoDigits(now.Second) + " " + message + "\r\n");
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t u : text) {
    bytes += static_cast<char>(u & 0xFF);
    bytes += static_cast<char>(u >> 8);
  }
  return bytes;
}

}  // namespace

void DeleteOldTraceFiles(const std::string& folder, const plat::TLocalTime& today) {
  const int64_t todayNumber = plat::DayNumber(today.Year, today.Month, today.Day);
  for (const plat::TDirEntry& e : plat::ListFolder(folder, "*.log")) {
    if (e.IsDirectory) continue;
    const std::string& n = e.Name;
    if (n.size() < 10) continue;
    bool dated = true;
    for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) dated = dated && IsDigit(n[i]);
    if (!dated) continue;
    int y = Number(n, 0, 4), m = Number(n, 5, 2), d = Number(n, 8, 2);
    if (!plat::IsValidDate(y, m, d)) continue;
    if (todayNumber - plat::DayNumber(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) > 30)
      plat::RemoveFile(folder + n);
  }
}

void XYTraceHelper::SetFolder(const std::string& folder) {
  std::lock_guard<std::mutex> guard(Lock);
  FileHandle.Close();
  Folder = folder;
}

void XYTraceHelper::SetLevel(int32_t level) {
  std::lock_guard<std::mutex> guard(Lock);
  __atomic_store_n(&Level, level > 0 ? level : 0, __ATOMIC_RELAXED);
}

void XYTraceHelper::OpenDayFile(const plat::TLocalTime& now) {
  if (!plat::DirectoryExists(Folder)) {
    plat::ForceDirectories(Folder);
  } else {
    DeleteOldTraceFiles(Folder, now);
  }
  plat::TFile file = plat::TFile::OpenAppend(Folder + DayFileName(now));
  if (file) {
    FileHandle = std::move(file);
    FileDate = now;
  }
}

void XYTraceHelper::Write(int32_t level, const std::string& message) {
  int32_t threshold = __atomic_load_n(&Level, __ATOMIC_RELAXED);
  if (threshold == 0 || threshold < level) return;
  std::lock_guard<std::mutex> guard(Lock);
  try {
    // One reading of the clock serves the day test, the file name and the stamp.
    const plat::TLocalTime now = plat::Clock().LocalTime();
    if (FileHandle.Valid() && !SameDay(now, FileDate)) FileHandle.Close();
    if (!FileHandle.Valid()) OpenDayFile(now);
    if (!FileHandle.Valid()) return;
    const std::string line = EncodeLine(now, message);
    FileHandle.Write(line.data(), line.size());
  } catch (...) {
    // A trace line must never cost the caller anything.
  }
}

XYTraceHelper& ModuleTrace() {
  // Never destroyed before the module's last line: other units' destructors
  // may still write while the module is finalised.
  static XYTraceHelper* helper = new XYTraceHelper;
  return *helper;
}

void SetTraceFolder(const std::string& folder) { ModuleTrace().SetFolder(folder); }
void SetTraceLevel(int32_t level) { ModuleTrace().SetLevel(level); }
void WriteTrace(int32_t level, const std::string& message) { ModuleTrace().Write(level, message); }
