// The service framework without an SCM: the service runs in the foreground on
// a thread of its own while the calling thread turns signals into control
// codes (SIGTERM, SIGINT: stop; SIGUSR1: pause; SIGUSR2: continue). The
// signals are blocked in every thread started meanwhile, so only this loop
// receives them.
#include <signal.h>
#include <time.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <thread>

#include "platform/Service.h"
#include "platform/ServiceBackend.h"
#include "platform/Thread.h"
#include "platform/UserMessage.h"

namespace plat {

namespace detail {
void ReportServiceStatus(const TService&, TServiceState) {}
uint32_t PrepareServiceThread() { return CurrentThreadId(); }
void WakeServiceThread(uint32_t) {}
bool WaitThreadMessage(uint32_t) { return false; }
void DrainThreadMessages() {}
}  // namespace detail

void WriteServiceEventLog(const std::string& source, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", source.c_str(), message.c_str());
}

bool RunServiceApplication(TService& service, const std::vector<std::string>& args) {
  try {
    const TServiceCommandLine command = ParseServiceCommandLine(args);
    if (command.Mode != TServiceRunMode::Run) {
      if (!command.Silent)
        NotifyUserNoWait(service.Identity().DisplayName,
                         "Service installation and removal are not available on this platform");
      return false;
    }
    sigset_t signals, previous;
    sigemptyset(&signals);
    for (int s : {SIGTERM, SIGINT, SIGUSR1, SIGUSR2}) sigaddset(&signals, s);
    pthread_sigmask(SIG_BLOCK, &signals, &previous);
    std::atomic<bool> done{false};
    std::thread worker([&] {
      detail::RunServiceBody(service);
      done = true;
    });
    TServiceControlHandler handler = service.GetServiceController();
    while (!done) {
      const timespec step{0, 100 * 1000 * 1000};
      const int s = sigtimedwait(&signals, nullptr, &step);
      if (s <= 0) continue;
      const uint32_t code = s == SIGUSR1   ? ServiceControlPause
                            : s == SIGUSR2 ? ServiceControlContinue
                                           : ServiceControlStop;
      if (handler)
        handler(code);
      else
        service.Controller(code);
    }
    worker.join();
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace plat
