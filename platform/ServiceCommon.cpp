// The service object's control queue and the command line, alike on every
// backend.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <exception>

#include "platform/Service.h"
#include "platform/ServiceBackend.h"

namespace plat {

TService::TService(TServiceIdentity identity) : Identity_(std::move(identity)) {}
TService::~TService() = default;

void TService::Controller(uint32_t code) noexcept {
  try {
    std::lock_guard<std::mutex> lock(QueueLock_);
    Queue_.push_back(code);
  } catch (...) {
    return;  // out of memory: the code is lost, the handler must not throw
  }
  QueueCond_.notify_all();
  const uint32_t thread = ServiceThreadId_;
  if (thread) detail::WakeServiceThread(thread);
}

void TService::BindServiceThread() { ServiceThreadId_ = detail::PrepareServiceThread(); }

bool TService::TakeCode(uint32_t& code) {
  std::lock_guard<std::mutex> lock(QueueLock_);
  if (Queue_.empty()) return false;
  code = Queue_.front();
  Queue_.pop_front();
  return true;
}

void TService::ReportStatus(TServiceState state) {
  State_ = state;
  detail::ReportServiceStatus(*this, state);
}

bool TService::WaitForRequest(uint32_t ms) {
  {
    std::lock_guard<std::mutex> lock(QueueLock_);
    if (!Queue_.empty()) return true;
  }
  if (detail::WaitThreadMessage(ms)) {
    std::lock_guard<std::mutex> lock(QueueLock_);
    return !Queue_.empty();
  }
  std::unique_lock<std::mutex> lock(QueueLock_);
  return QueueCond_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return !Queue_.empty(); });
}

void TService::ProcessRequests(bool wait) {
  detail::DrainThreadMessages();
  if (wait) {
    std::unique_lock<std::mutex> lock(QueueLock_);
    QueueCond_.wait(lock, [this] { return !Queue_.empty(); });
  }
  uint32_t code = 0;
  while (TakeCode(code)) Handle(code);
}

void TService::Handle(uint32_t code) {
  switch (code) {
    case ServiceControlStop:
    case ServiceControlShutdown:
      Terminated_ = true;
      ReportStatus(TServiceState::StopPending);
      return;
    case ServiceControlInterrogate:
      ReportStatus(State_);
      return;
    case ServiceControlContinue:
      if (State_ == TServiceState::Paused) ReportStatus(TServiceState::Running);
      return;
    case ServiceControlPause:
      break;
    default:
      return;
  }
  if (Terminated_ || State_ != TServiceState::Running) return;
  ReportStatus(TServiceState::PausePending);
  ReportStatus(TServiceState::Paused);
  // Paused: the service thread stays here until it may go on. Other threads
  // (plug-ins, the update timer) are not affected.
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(QueueLock_);
      QueueCond_.wait(lock, [this] { return !Queue_.empty(); });
      code = Queue_.front();
      Queue_.pop_front();
    }
    detail::DrainThreadMessages();
    if (code == ServiceControlContinue) {
      ReportStatus(TServiceState::ContinuePending);
      ReportStatus(TServiceState::Running);
      return;
    }
    if (code == ServiceControlStop || code == ServiceControlShutdown) {
      State_ = TServiceState::Running;
      Handle(code);
      return;
    }
    if (code == ServiceControlInterrogate) ReportStatus(State_);
  }
}

namespace detail {
void RunServiceBody(TService& service) {
  service.BindServiceThread();
  service.ReportStatus(TServiceState::StartPending);
  service.ReportStatus(TServiceState::Running);
  try {
    service.Execute();
  } catch (const std::exception& e) {
    WriteServiceEventLog(service.Identity().Name, "Service failed on execute: " + std::string(e.what()));
  } catch (...) {
    WriteServiceEventLog(service.Identity().Name, "Service failed on execute: unknown error");
  }
  service.ReportStatus(TServiceState::Stopped);
}
}  // namespace detail

TServiceCommandLine ParseServiceCommandLine(const std::vector<std::string>& args) {
  TServiceCommandLine out;
  for (const std::string& arg : args) {
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) continue;
    std::string word = arg.substr(1);
    std::transform(word.begin(), word.end(), word.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (word == "INSTALL")
      out.Mode = TServiceRunMode::Install;
    else if (word == "UNINSTALL")
      out.Mode = TServiceRunMode::Uninstall;
    else if (word == "SILENT")
      out.Silent = true;
  }
  return out;
}

}  // namespace plat
