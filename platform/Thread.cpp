#include "platform/Thread.h"

#include <exception>
#include <system_error>

namespace plat {

TThread::~TThread() { WaitFor(); }

bool TThread::Start() {
  if (Thread_.joinable()) return false;
  try {
    Thread_ = std::thread([this] { Run(); });
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

void TThread::Run() noexcept {
  try {
    Execute();
  } catch (const std::exception& e) {
    FatalError_ = e.what();
  } catch (...) {
    FatalError_ = "Unknown error";
  }
}

int32_t TThread::WaitFor() {
  if (Thread_.joinable() && Thread_.get_id() != std::this_thread::get_id()) Thread_.join();
  return ReturnValue_;
}

bool StartThread(std::function<void()> fn, std::string* error) {
  try {
    std::thread t([fn = std::move(fn)]() noexcept {
      try {
        fn();
      } catch (...) {
      }
    });
    t.detach();
    return true;
  } catch (const std::system_error& e) {
    if (error) *error = e.what();
    return false;
  }
}

}  // namespace plat
