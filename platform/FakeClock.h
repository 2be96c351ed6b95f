#pragma once
// A clock for tests: time moves only when a thread sleeps or waits on it, and
// actions scheduled at fake times run when time reaches them. Thread-safe.
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "platform/Clock.h"

namespace plat {

class TFakeClock : public IClock {
 public:
  // Local time at fake monotonic time 0.
  explicit TFakeClock(TLocalTime start);

  TLocalTime LocalTime() override;
  uint32_t TickCount() override;
  uint64_t MonotonicMs() override;
  void Sleep(uint32_t ms) override;
  TWaitResult Wait(const TWaitable& object, uint32_t ms) override;

  // Runs action when the fake time reaches atMs (monotonic milliseconds).
  void At(uint64_t atMs, std::function<void()> action);
  // Moves the wall clock by deltaMs without moving monotonic time.
  void ShiftWallClock(int64_t deltaMs);
  // Advances time by ms, running the actions due.
  void Advance(uint64_t ms);
  uint64_t Now();

  // Local time for a given count of seconds since 1970 (no time zone), and back.
  static TLocalTime FromUnixSeconds(int64_t seconds, uint16_t ms = 0);
  static int64_t ToUnixSeconds(const TLocalTime& t);

 private:
  // Advances to the deadline, or until waitable is signalled; true when it was.
  bool AdvanceUntil(uint64_t deadline, const TWaitable* waitable);
  std::recursive_mutex Mutex_;
  uint64_t Now_ = 0;
  int64_t WallShift_ = 0;
  int64_t StartSeconds_;
  std::multimap<uint64_t, std::function<void()>> Actions_;
};

// Puts a clock in place for a scope and restores the system clock after.
class TClockOverride {
 public:
  explicit TClockOverride(IClock& clock) { SetClock(&clock); }
  ~TClockOverride() { SetClock(nullptr); }
  TClockOverride(const TClockOverride&) = delete;
  TClockOverride& operator=(const TClockOverride&) = delete;
};

}  // namespace plat
