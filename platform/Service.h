#pragma once
// The service framework: a service object with its identity, registration and
// removal through the command-line switches, the connection to the service
// control manager (SCM), status reporting and a queue of control codes that
// the service thread works off.
//
// Threads: RunServiceApplication runs on the main thread. The control handler
// runs on the control dispatcher thread (Windows: the main thread inside the
// dispatcher; POSIX: the main thread, which turns signals into control codes).
// Execute runs on the service thread. Controller() may be called from any
// thread; Terminated() too. ProcessRequests and WaitForRequest belong to the
// service thread.
//
// POSIX: there is no SCM. The service runs in the foreground; SIGTERM and
// SIGINT are stop, SIGUSR1 pause, SIGUSR2 continue. Install and uninstall
// report "not available". The event log is standard error.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace plat {

// Control codes, with the Windows values.
constexpr uint32_t ServiceControlStop = 1;
constexpr uint32_t ServiceControlPause = 2;
constexpr uint32_t ServiceControlContinue = 3;
constexpr uint32_t ServiceControlInterrogate = 4;
constexpr uint32_t ServiceControlShutdown = 5;

// Status as reported to the SCM, with the Windows values.
enum class TServiceState : uint32_t {
  Stopped = 1,
  StartPending = 2,
  StopPending = 3,
  Running = 4,
  ContinuePending = 5,
  PausePending = 6,
  Paused = 7
};

// The wait hint sent with every pending state.
constexpr uint32_t ServiceWaitHintMs = 5000;

// A control handler with the SCM's one-argument signature (Windows: stdcall,
// as the SCM calls it). It must not throw.
#if defined(_WIN32)
#define KARVO_CONTROL_CALL __stdcall
#else
#define KARVO_CONTROL_CALL
#endif
using TServiceControlHandler = void(KARVO_CONTROL_CALL*)(uint32_t code);

struct TServiceIdentity {
  std::string Name;         // the SCM's key
  std::string DisplayName;
  bool Interactive = false;  // may interact with the desktop
  bool AutoStart = true;     // automatic start; otherwise on demand
  // Always: a service in its own process, normal error severity, the local
  // system account, no dependencies; accepts stop, shutdown, pause/continue.
};

class TService {
 public:
  explicit TService(TServiceIdentity identity);
  virtual ~TService();
  TService(const TService&) = delete;
  TService& operator=(const TService&) = delete;

  const TServiceIdentity& Identity() const { return Identity_; }

  // The handler the framework registers with the SCM. nullptr (the default):
  // a handler that only calls Controller(). A program's own handler must
  // hand every code to Controller() of its service object.
  virtual TServiceControlHandler GetServiceController() { return nullptr; }

  // The service object's own control entry: queues the code for the service
  // thread and wakes it, also when it is paused. Any thread; never throws.
  void Controller(uint32_t code) noexcept;

  // Set by a processed stop or shutdown.
  bool Terminated() const { return Terminated_; }

  // Service thread: handles every queued code and returns. Stop and shutdown
  // set Terminated() and report stop pending; interrogate reports the status;
  // pause reports paused and then blocks here until continue, stop or shutdown
  // arrives (a stop while paused stops). wait = true blocks until at least one
  // code was handled.
  void ProcessRequests(bool wait);

  // Service thread: waits up to ms for a queued code (Windows: a message wait
  // on the thread's queue, woken by the posted message). True when one is
  // pending, false on time-out.
  bool WaitForRequest(uint32_t ms);

  TServiceState State() const { return State_; }

  // Reports a status to the SCM (no-op when not running under it).
  void ReportStatus(TServiceState state);

  // The body of the service, on the service thread. When it returns the
  // service is reported stopped. An exception leaving it is written to the
  // event log and the service stops.
  virtual void Execute() = 0;

  // For the framework backends: binds the calling thread as the service thread.
  void BindServiceThread();

 private:
  bool TakeCode(uint32_t& code);
  void Handle(uint32_t code);

  TServiceIdentity Identity_;
  std::atomic<bool> Terminated_{false};
  std::atomic<TServiceState> State_{TServiceState::Stopped};
  std::mutex QueueLock_;
  std::condition_variable QueueCond_;
  std::deque<uint32_t> Queue_;
  std::atomic<uint32_t> ServiceThreadId_{0};
};

enum class TServiceRunMode { Run, Install, Uninstall };

struct TServiceCommandLine {
  TServiceRunMode Mode = TServiceRunMode::Run;
  bool Silent = false;
};

// Reads the switches INSTALL, UNINSTALL and SILENT, case-insensitive, each
// after "/" or "-". Other arguments are ignored; the last of INSTALL and
// UNINSTALL wins.
TServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args);

// Registers, removes or runs the service as the command line says, and
// returns when that is done. Register and remove tell the user the outcome
// unless SILENT is given (a message that never blocks). Run: connects to the
// SCM and returns when the service has stopped; started outside the SCM the
// system's error text goes to the event log and it returns at once. Never
// throws. True when the requested action succeeded.
bool RunServiceApplication(TService& service, const std::vector<std::string>& args);

// Writes an error to the event log under the service's name.
void WriteServiceEventLog(const std::string& source, const std::string& message);

}  // namespace plat
