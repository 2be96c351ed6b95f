#pragma once
// Time behind a replaceable clock: local time, tick count, monotonic time,
// sleeping and timed waits. The programs read time only through Clock(), so
// tests can put a fake clock in place (FakeClock.h). Each module has its own
// clock pointer.
#include <cstdint>

#include "platform/Sync.h"

namespace plat {

struct TLocalTime {
  uint16_t Year = 0, Month = 0, DayOfWeek = 0, Day = 0;
  uint16_t Hour = 0, Minute = 0, Second = 0, Milliseconds = 0;
};

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
int64_t DayNumber(int64_t year, unsigned month, unsigned day);
// Whether year, month and day form a real calendar date.
bool IsValidDate(int year, int month, int day);

class IClock {
 public:
  virtual ~IClock() = default;
  virtual TLocalTime LocalTime() = 0;
  // Milliseconds since start-up, wrapping at 2^32 as GetTickCount does.
  virtual uint32_t TickCount() = 0;
  // Milliseconds on a clock that never jumps, whatever the wall clock does.
  virtual uint64_t MonotonicMs() = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // Waits until the object is signalled or ms (kInfinite: no limit) have passed.
  virtual TWaitResult Wait(const TWaitable& object, uint32_t ms) = 0;
};

// The system clock.
IClock& SystemClock();
// The clock in force for this module; the system clock unless replaced.
IClock& Clock();
// Replaces this module's clock (nullptr restores the system clock). The clock
// must outlive its use. Meant for tests.
void SetClock(IClock* clock);

}  // namespace plat
