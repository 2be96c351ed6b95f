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

TWaitResult TWaitable::WaitFor(uint32_t ms) const { return Clock().Wait(*this, ms); }

}  // namespace plat
