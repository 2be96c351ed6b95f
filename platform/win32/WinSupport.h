#pragma once
// The one place the Windows backend includes <windows.h> from.
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "platform/Text.h"

namespace plat {

inline std::wstring W(const std::string& utf8) { return Utf8ToWide(utf8); }
inline std::string U(const std::wstring& wide) { return WideToUtf8(wide); }

// Owns a kernel handle (INVALID_HANDLE_VALUE and null both mean none).
class TWinHandle {
 public:
  TWinHandle() = default;
  explicit TWinHandle(HANDLE h) : H_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  ~TWinHandle() { Reset(); }
  TWinHandle(TWinHandle&& o) noexcept : H_(o.H_) { o.H_ = nullptr; }
  TWinHandle& operator=(TWinHandle&& o) noexcept {
    if (this != &o) {
      Reset();
      H_ = o.H_;
      o.H_ = nullptr;
    }
    return *this;
  }
  TWinHandle(const TWinHandle&) = delete;
  TWinHandle& operator=(const TWinHandle&) = delete;
  HANDLE Get() const { return H_; }
  explicit operator bool() const { return H_ != nullptr; }
  HANDLE Release() {
    HANDLE h = H_;
    H_ = nullptr;
    return h;
  }
  void Reset() {
    if (H_) CloseHandle(H_);
    H_ = nullptr;
  }

 private:
  HANDLE H_ = nullptr;
};

// Owns a handle of the service control manager (a manager or a service).
class TScmHandle {
 public:
  explicit TScmHandle(SC_HANDLE h) : H_(h) {}
  ~TScmHandle() {
    if (H_) CloseServiceHandle(H_);
  }
  TScmHandle(const TScmHandle&) = delete;
  TScmHandle& operator=(const TScmHandle&) = delete;
  SC_HANDLE Get() const { return H_; }
  explicit operator bool() const { return H_ != nullptr; }

 private:
  SC_HANDLE H_;
};

// The system's message text for an error code, without the trailing line break.
std::string SystemErrorMessage(DWORD code);

}  // namespace plat
