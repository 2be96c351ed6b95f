// Events live in a registry of this process: a name finds the same event as
// long as any handle to it is open, as with Windows named events. Semaphores
// are POSIX named semaphores, visible to other processes; the creator removes
// the name when it closes, so that, as on Windows, the object goes with its
// last user.
#include <fcntl.h>
#include <semaphore.h>
#include <time.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "platform/Sync.h"

namespace plat {
namespace {

struct TPosixEvent {
  std::mutex Mutex;
  std::condition_variable Cond;
  bool Signalled = false;
  std::atomic<int> Refs{1};
  std::string Name;
};

std::mutex& RegistryMutex() {
  static std::mutex m;
  return m;
}
std::map<std::string, TPosixEvent*>& Registry() {
  static auto* r = new std::map<std::string, TPosixEvent*>;  // lives for the whole process
  return *r;
}

void ReleaseEvent(TPosixEvent* e) {
  std::lock_guard<std::mutex> lock(RegistryMutex());
  if (--e->Refs == 0) {
    if (!e->Name.empty()) Registry().erase(e->Name);
    delete e;
  }
}

std::string SemaphoreName(const std::string& name) {
  std::string out = "/karvo.";
  for (char c : name) out += (c == '/' || c == '\\') ? '_' : c;
  return out;
}

}  // namespace


TEvent TEvent::Create(const std::string& name) {
  TEvent ev;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  if (!name.empty()) {
    auto it = Registry().find(name);
    if (it != Registry().end()) {
      ++it->second->Refs;
      ev.Native_ = it->second;
      ev.Existed_ = true;
      return ev;
    }
  }
  auto* e = new TPosixEvent;
  e->Name = name;
  if (!name.empty()) Registry()[name] = e;
  ev.Native_ = e;
  return ev;
}

TEvent TEvent::Open(const std::string& name) {
  TEvent ev;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  auto it = Registry().find(name);
  if (!name.empty() && it != Registry().end()) {
    ++it->second->Refs;
    ev.Native_ = it->second;
    ev.Existed_ = true;
  }
  return ev;
}

bool TEvent::Set() const {
  auto* e = static_cast<TPosixEvent*>(Native_);
  if (!e) return false;
  {
    std::lock_guard<std::mutex> lock(e->Mutex);
    e->Signalled = true;
  }
  e->Cond.notify_all();
  return true;
}

bool TEvent::Reset() const {
  auto* e = static_cast<TPosixEvent*>(Native_);
  if (!e) return false;
  std::lock_guard<std::mutex> lock(e->Mutex);
  e->Signalled = false;
  return true;
}

TWaitResult TEvent::WaitNative(uint32_t ms) const {
  auto* e = static_cast<TPosixEvent*>(Native_);
  if (!e) return TWaitResult::Failed;
  std::unique_lock<std::mutex> lock(e->Mutex);
  if (ms == kInfinite) {
    e->Cond.wait(lock, [e] { return e->Signalled; });
    return TWaitResult::Signalled;
  }
  return e->Cond.wait_for(lock, std::chrono::milliseconds(ms), [e] { return e->Signalled; })
             ? TWaitResult::Signalled
             : TWaitResult::TimedOut;
}

TEvent TEvent::Duplicate() const {
  TEvent ev;
  auto* e = static_cast<TPosixEvent*>(Native_);
  if (!e) return ev;
  std::lock_guard<std::mutex> lock(RegistryMutex());
  ++e->Refs;
  ev.Native_ = e;
  return ev;
}

void TEvent::Close() {
  if (Native_ && Owned_) ReleaseEvent(static_cast<TPosixEvent*>(Native_));
  Native_ = nullptr;
}


TSemaphore TSemaphore::Create(const std::string& name, int32_t initial, int32_t maximum) {
  TSemaphore s;
  (void)maximum;
  s.Name_ = SemaphoreName(name);
  sem_t* sem = sem_open(s.Name_.c_str(), O_CREAT | O_EXCL, 0600, static_cast<unsigned>(initial));
  if (sem != SEM_FAILED) {
    s.Created_ = true;
  } else if (errno == EEXIST) {
    sem = sem_open(s.Name_.c_str(), 0);
  }
  if (sem != SEM_FAILED) s.Native_ = sem;
  return s;
}

TSemaphore TSemaphore::Open(const std::string& name) {
  TSemaphore s;
  s.Name_ = SemaphoreName(name);
  sem_t* sem = sem_open(s.Name_.c_str(), 0);
  if (sem != SEM_FAILED) s.Native_ = sem;
  return s;
}

bool TSemaphore::Release() const { return Native_ && sem_post(static_cast<sem_t*>(Native_)) == 0; }

TWaitResult TSemaphore::WaitNative(uint32_t ms) const {
  auto* sem = static_cast<sem_t*>(Native_);
  if (!sem) return TWaitResult::Failed;
  int rc;
  if (ms == kInfinite) {
    while ((rc = sem_wait(sem)) != 0 && errno == EINTR) {
    }
  } else {
    timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    ts.tv_sec += ms / 1000;
    ts.tv_nsec += static_cast<long>(ms % 1000) * 1000000L;
    if (ts.tv_nsec >= 1000000000L) {
      ++ts.tv_sec;
      ts.tv_nsec -= 1000000000L;
    }
    while ((rc = sem_timedwait(sem, &ts)) != 0 && errno == EINTR) {
    }
    if (rc != 0 && errno == ETIMEDOUT) return TWaitResult::TimedOut;
  }
  return rc == 0 ? TWaitResult::Signalled : TWaitResult::Failed;
}

void TSemaphore::Close() {
  if (Native_) {
    sem_close(static_cast<sem_t*>(Native_));
    if (Created_) sem_unlink(Name_.c_str());
  }
  Native_ = nullptr;
  Created_ = false;
}

}  // namespace plat
