#pragma once
// Named kernel objects and waits. Objects are owned: the handle is closed when
// the object goes. Any thread may set and wait on an object it can see.
//
// POSIX: events are named within the process only (a registry in the process);
// semaphores are named across processes (sem_open).
#include <cstdint>
#include <string>

namespace plat {

constexpr uint32_t kInfinite = 0xFFFFFFFFu;

enum class TWaitResult { Signalled, TimedOut, Failed };

// Something a thread can wait on. Waits go through the process clock (Clock.h),
// so that tests with a fake clock control time-outs.
class TWaitable {
 public:
  virtual ~TWaitable() = default;
  // Waits on the object itself, bypassing the clock: the real clock's wait.
  virtual TWaitResult WaitNative(uint32_t ms) const = 0;
  TWaitResult WaitFor(uint32_t ms) const;
};

class TEvent : public TWaitable {
 public:
  TEvent() = default;  // no event
  ~TEvent() override;
  TEvent(TEvent&& other) noexcept;
  TEvent& operator=(TEvent&& other) noexcept;
  TEvent(const TEvent&) = delete;
  TEvent& operator=(const TEvent&) = delete;

  // Creates a manual-reset event, not signalled. An empty name gives an
  // unnamed event; when an event of that name exists it is opened instead and
  // AlreadyExisted() is true. The result is not Valid() on failure.
  static TEvent Create(const std::string& name);
  // Opens an existing named event; not Valid() when there is none.
  static TEvent Open(const std::string& name);
  // A non-owning view of a handle another module owns (the plug-in's side).
  static TEvent Borrow(void* native);

  bool Valid() const { return Native_ != nullptr; }
  bool AlreadyExisted() const { return Existed_; }
  bool Set() const;
  bool Reset() const;
  bool IsSet() const { return WaitNative(0) == TWaitResult::Signalled; }
  TWaitResult WaitNative(uint32_t ms) const override;
  // A second owning handle to the same event.
  TEvent Duplicate() const;
  // The handle passed across module boundaries (to plug-ins).
  void* Native() const { return Native_; }
  void Close();

 private:
  void* Native_ = nullptr;
  bool Owned_ = true;
  bool Existed_ = false;
};

class TSemaphore : public TWaitable {
 public:
  TSemaphore() = default;
  ~TSemaphore() override;
  TSemaphore(TSemaphore&& other) noexcept;
  TSemaphore& operator=(TSemaphore&& other) noexcept;
  TSemaphore(const TSemaphore&) = delete;
  TSemaphore& operator=(const TSemaphore&) = delete;

  // Creates a named semaphore, or opens the existing one of that name.
  static TSemaphore Create(const std::string& name, int32_t initial, int32_t maximum);
  // Opens an existing one with the right to release it; not Valid() when none.
  static TSemaphore Open(const std::string& name);

  bool Valid() const { return Native_ != nullptr; }
  bool Release() const;  // count + 1
  TWaitResult WaitNative(uint32_t ms) const override;
  void Close();

 private:
  void* Native_ = nullptr;
  std::string Name_;  // POSIX: the name to unlink when the creator closes it
  bool Created_ = false;
};

}  // namespace plat
