// WriteTrace throughput from 1 and from 8 threads against a raw loop that
// appends the same bytes with one write call per line.
//   trace_bench [lines-per-thread]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/File.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "trace/XYTrace.h"

namespace {

using Clock = std::chrono::steady_clock;

// The bytes WriteTrace produces for one line: "hh:nn:ss " + message + CR LF in UTF-16LE.
std::string RawLine(const std::string& message) {
  std::string text = "12:00:00 " + message + "\r\n", bytes;
  for (char c : text) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

double RunThreads(int threads, const std::function<void(int)>& body) {
  auto start = Clock::now();
  std::vector<std::thread> pool;
  for (int t = 0; t < threads; ++t) pool.emplace_back(body, t);
  for (auto& th : pool) th.join();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int perThread = argc > 1 ? std::atoi(argv[1]) : 200000;
  const std::string root = plat::FromPath(std::filesystem::temp_directory_path()) + "/karvo-trace-bench-" +
                           std::to_string(plat::CurrentProcessId()) + "/";
  const std::string message = "Staging file for update into: C:\\KARVO\\update\\sdll\\KARVOBackup.dll";
  std::printf("%-10s %14s %14s %8s\n", "threads", "WriteTrace/s", "raw write/s", "ratio");
  for (int threads : {1, 8}) {
    plat::RemoveTree(root);
    plat::ForceDirectories(root + "trace/");
    plat::ForceDirectories(root + "raw/");
    XYTraceHelper trace;
    trace.SetFolder(root + "trace/");
    trace.SetLevel(TraceProgress);
    double traced = RunThreads(threads, [&](int) {
      for (int i = 0; i < perThread; ++i) trace.Write(TraceProgress, message);
    });

    plat::TFile raw = plat::TFile::OpenAppend(root + "raw/raw.log");
    std::mutex lock;  // the same serialisation a shared log needs
    const std::string line = RawLine(message);
    double rawTime = RunThreads(threads, [&](int) {
      for (int i = 0; i < perThread; ++i) {
        std::lock_guard<std::mutex> guard(lock);
        raw.Write(line.data(), line.size());
      }
    });
    const double total = static_cast<double>(perThread) * threads;
    std::printf("%-10d %14.0f %14.0f %8.2f\n", threads, total / traced, total / rawTime, rawTime / traced);
  }
  plat::RemoveTree(root);
  return 0;
}
