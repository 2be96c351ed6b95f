#include "platform/FakeClock.h"

namespace plat {
namespace {

// The civil date of a day number (DayNumber's inverse).
void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp + (mp < 10 ? 3 : -9);
  y += m <= 2;
}

}  // namespace

TFakeClock::TFakeClock(TLocalTime start) : StartSeconds_(ToUnixSeconds(start)) {}

TLocalTime TFakeClock::FromUnixSeconds(int64_t seconds, uint16_t ms) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  int64_t y;
  unsigned m, d;
  CivilFromDays(days, y, m, d);
  TLocalTime t;
  t.Year = static_cast<uint16_t>(y);
  t.Month = static_cast<uint16_t>(m);
  t.Day = static_cast<uint16_t>(d);
  t.DayOfWeek = static_cast<uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday (4)
  t.Hour = static_cast<uint16_t>(rest / 3600);
  t.Minute = static_cast<uint16_t>(rest / 60 % 60);
  t.Second = static_cast<uint16_t>(rest % 60);
  t.Milliseconds = ms;
  return t;
}

int64_t TFakeClock::ToUnixSeconds(const TLocalTime& t) {
  return DayNumber(t.Year, t.Month, t.Day) * 86400 + t.Hour * 3600 + t.Minute * 60 + t.Second;
}

TLocalTime TFakeClock::LocalTime() {
  std::lock_guard<std::recursive_mutex> lock(Mutex_);
  int64_t ms = static_cast<int64_t>(Now_) + WallShift_;
  int64_t sec = ms >= 0 ? ms / 1000 : -((-ms + 999) / 1000);
  return FromUnixSeconds(StartSeconds_ + sec, static_cast<uint16_t>(ms - sec * 1000));
}

uint32_t TFakeClock::TickCount() { return static_cast<uint32_t>(Now()); }
uint64_t TFakeClock::MonotonicMs() { return Now(); }

uint64_t TFakeClock::Now() {
  std::lock_guard<std::recursive_mutex> lock(Mutex_);
  return Now_;
}

void TFakeClock::At(uint64_t atMs, std::function<void()> action) {
  std::lock_guard<std::recursive_mutex> lock(Mutex_);
  Actions_.emplace(atMs, std::move(action));
}

void TFakeClock::ShiftWallClock(int64_t deltaMs) {
  std::lock_guard<std::recursive_mutex> lock(Mutex_);
  WallShift_ += deltaMs;
}

bool TFakeClock::AdvanceUntil(uint64_t deadline, const TWaitable* waitable) {
  for (;;) {
    if (waitable && waitable->WaitNative(0) == TWaitResult::Signalled) return true;
    std::function<void()> action;
    {
      std::lock_guard<std::recursive_mutex> lock(Mutex_);
      auto next = Actions_.begin();
      if (next == Actions_.end() || next->first > deadline) {
        if (deadline > Now_) Now_ = deadline;
        break;
      }
      if (next->first > Now_) Now_ = next->first;
      action = std::move(next->second);
      Actions_.erase(next);
    }
    action();
  }
  return waitable && waitable->WaitNative(0) == TWaitResult::Signalled;
}

void TFakeClock::Advance(uint64_t ms) { AdvanceUntil(Now() + ms, nullptr); }

void TFakeClock::Sleep(uint32_t ms) { Advance(ms); }

TWaitResult TFakeClock::Wait(const TWaitable& object, uint32_t ms) {
  // An infinite wait on a fake clock would never end unless an action sets the
  // object: run every scheduled action until it does.
  uint64_t deadline = ms == kInfinite ? UINT64_MAX : Now() + ms;
  if (AdvanceUntil(deadline, &object)) return TWaitResult::Signalled;
  return ms == kInfinite ? TWaitResult::Failed : TWaitResult::TimedOut;
}

}  // namespace plat
