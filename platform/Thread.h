#pragma once
// Threads. TThread is a base class for a worker with an Execute body, started
// explicitly and waited for by its owner; StartThread runs a plain function on
// a detached thread.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

namespace plat {

// Identifier of the calling thread; never 0.
uint32_t CurrentThreadId();

class TThread {
 public:
  TThread() = default;
  // Waits for the thread when it was started and has not been waited for:
  // a derived class must call WaitFor() in its own destructor before its
  // members go, if the thread may still run.
  virtual ~TThread();
  TThread(const TThread&) = delete;
  TThread& operator=(const TThread&) = delete;

  // Runs Execute on a new thread; false when the thread cannot be created.
  bool Start();
  // Waits until Execute has returned (at once when never started) and gives ReturnValue().
  int32_t WaitFor();
  // Asks Execute to stop; it watches Terminated().
  void Terminate() { Terminated_ = true; }
  bool Terminated() const { return Terminated_; }
  int32_t ReturnValue() const { return ReturnValue_; }
  // The message of an exception that ended Execute, empty when none did.
  const std::string& FatalError() const { return FatalError_; }

 protected:
  virtual void Execute() = 0;
  void SetReturnValue(int32_t value) { ReturnValue_ = value; }

 private:
  void Run() noexcept;
  std::thread Thread_;
  std::atomic<bool> Terminated_{false};
  std::atomic<int32_t> ReturnValue_{0};
  std::string FatalError_;
};

// Starts fn on a detached thread. No exception leaves fn: one that would is
// swallowed. False (with the reason in error, when given) when no thread could
// be created.
bool StartThread(std::function<void()> fn, std::string* error = nullptr);

}  // namespace plat
