#include "platform/Sync.h"
#include "platform/win32/WinSupport.h"

namespace plat {
namespace {
TWaitResult Wait(HANDLE h, uint32_t ms) {
  if (!h) return TWaitResult::Failed;
  switch (WaitForSingleObject(h, ms == kInfinite ? INFINITE : ms)) {
    case WAIT_OBJECT_0:
      return TWaitResult::Signalled;
    case WAIT_TIMEOUT:
      return TWaitResult::TimedOut;
    default:
      return TWaitResult::Failed;
  }
}
}  // namespace


TEvent TEvent::Create(const std::string& name) {
  TEvent ev;
  std::wstring wname = W(name);
  ev.Native_ = CreateEventW(nullptr, TRUE, FALSE, name.empty() ? nullptr : wname.c_str());
  ev.Existed_ = ev.Native_ && GetLastError() == ERROR_ALREADY_EXISTS;
  return ev;
}

TEvent TEvent::Open(const std::string& name) {
  TEvent ev;
  ev.Native_ = OpenEventW(EVENT_MODIFY_STATE | SYNCHRONIZE, FALSE, W(name).c_str());
  ev.Existed_ = ev.Native_ != nullptr;
  return ev;
}

bool TEvent::Set() const { return Native_ && SetEvent(Native_); }
bool TEvent::Reset() const { return Native_ && ResetEvent(Native_); }
TWaitResult TEvent::WaitNative(uint32_t ms) const { return Wait(Native_, ms); }

TEvent TEvent::Duplicate() const {
  TEvent ev;
  HANDLE dup = nullptr;
  if (Native_ && DuplicateHandle(GetCurrentProcess(), Native_, GetCurrentProcess(), &dup, 0, FALSE,
                                 DUPLICATE_SAME_ACCESS))
    ev.Native_ = dup;
  return ev;
}

void TEvent::Close() {
  if (Native_ && Owned_) CloseHandle(Native_);
  Native_ = nullptr;
}


TSemaphore TSemaphore::Create(const std::string& name, int32_t initial, int32_t maximum) {
  TSemaphore s;
  s.Native_ = CreateSemaphoreW(nullptr, initial, maximum, W(name).c_str());
  s.Created_ = s.Native_ && GetLastError() != ERROR_ALREADY_EXISTS;
  s.Name_ = name;
  return s;
}

TSemaphore TSemaphore::Open(const std::string& name) {
  TSemaphore s;
  s.Native_ = OpenSemaphoreW(SEMAPHORE_MODIFY_STATE | SYNCHRONIZE, FALSE, W(name).c_str());
  s.Name_ = name;
  return s;
}

bool TSemaphore::Release() const { return Native_ && ReleaseSemaphore(Native_, 1, nullptr); }
TWaitResult TSemaphore::WaitNative(uint32_t ms) const { return Wait(Native_, ms); }

void TSemaphore::Close() {
  if (Native_) CloseHandle(Native_);
  Native_ = nullptr;
}

}  // namespace plat
