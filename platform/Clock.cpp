#include "platform/Clock.h"

#include <atomic>

namespace plat {
namespace {
std::atomic<IClock*> g_Clock{nullptr};
}

IClock& Clock() {
  IClock* c = g_Clock.load(std::memory_order_acquire);
  return c ? *c : SystemClock();
}

void SetClock(IClock* clock) { g_Clock.store(clock, std::memory_order_release); }

int64_t DayNumber(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsValidDate(int y, int m, int d) {
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || m < 1 || m > 12 || d < 1) return false;
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  return d <= kDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

TWaitResult TWaitable::WaitFor(uint32_t ms) const { return Clock().Wait(*this, ms); }

}  // namespace plat
