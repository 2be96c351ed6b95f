// Clock, threads ids, libraries, processes, COM and code pages on POSIX.
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/Clock.h"
#include "platform/Com.h"
#include "platform/Library.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/Thread.h"

namespace plat {
namespace {

class TSystemClock : public IClock {
 public:
  TLocalTime LocalTime() override {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    tm t{};
    localtime_r(&ts.tv_sec, &t);
    TLocalTime r;
    r.Year = static_cast<uint16_t>(t.tm_year + 1900);
    r.Month = static_cast<uint16_t>(t.tm_mon + 1);
    r.DayOfWeek = static_cast<uint16_t>(t.tm_wday);
    r.Day = static_cast<uint16_t>(t.tm_mday);
    r.Hour = static_cast<uint16_t>(t.tm_hour);
    r.Minute = static_cast<uint16_t>(t.tm_min);
    r.Second = static_cast<uint16_t>(t.tm_sec);
    r.Milliseconds = static_cast<uint16_t>(ts.tv_nsec / 1000000);
    return r;
  }
  uint32_t TickCount() override { return static_cast<uint32_t>(MonotonicMs()); }
  uint64_t MonotonicMs() override {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
  }
  void Sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  TWaitResult Wait(const TWaitable& object, uint32_t ms) override { return object.WaitNative(ms); }
};

pid_t SpawnChild(const std::string& program, const std::vector<std::string>& args,
                 const std::string& workingFolder) {
  std::vector<std::string> argvStore;
  argvStore.push_back(program);
  argvStore.insert(argvStore.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argvStore) argv.push_back(a.data());
  argv.push_back(nullptr);
  int pipefd[2];
  if (pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(pipefd[0]);
    if (!workingFolder.empty() && chdir(workingFolder.c_str()) != 0) _exit(127);
    execv(program.c_str(), argv.data());
    char failed = 1;
    (void)!write(pipefd[1], &failed, 1);
    _exit(127);
  }
  close(pipefd[1]);
  if (pid < 0) {
    close(pipefd[0]);
    return -1;
  }
  char failed = 0;
  ssize_t n = read(pipefd[0], &failed, 1);  // closes without data when exec succeeded
  close(pipefd[0]);
  if (n == 1) {
    waitpid(pid, nullptr, 0);
    return -1;
  }
  return pid;
}

}  // namespace

IClock& SystemClock() {
  // Never destroyed: detached threads may still sleep on it while the process ends.
  static TSystemClock* clock = new TSystemClock;
  return *clock;
}

uint32_t CurrentThreadId() { return static_cast<uint32_t>(syscall(SYS_gettid)); }
uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }


TLibrary TLibrary::Load(const std::string& path) {
  TLibrary lib;
  lib.Handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib.Handle_) {
    const char* e = dlerror();
    lib.Error_ = e ? e : "cannot load";
  }
  return lib;
}

void* TLibrary::Symbol(const std::string& name) const { return Handle_ ? dlsym(Handle_, name.c_str()) : nullptr; }

void TLibrary::Unload() {
  if (Handle_) dlclose(Handle_);
  Handle_ = nullptr;
}

bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder) {
  pid_t pid = SpawnChild(program, args, workingFolder);
  if (pid < 0) return false;
  // Reap it in the background so that it leaves no zombie.
  std::thread([pid] { waitpid(pid, nullptr, 0); }).detach();
  return true;
}

int RunAndWait(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  pid_t pid = SpawnChild(program, args, workingFolder);
  if (pid < 0) return -1;
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TComInit::TComInit() : Ok_(true) {}
TComInit::~TComInit() = default;
bool ComInitialisedOnThisThread() { return false; }

std::string Utf8ToAnsi(const std::string& text) { return text; }
std::string AnsiToUtf8(const std::string& text) { return text; }
std::string Utf8ToOem(const std::string& text) { return text; }
std::string OemToUtf8(const std::string& text) { return text; }

}  // namespace plat
