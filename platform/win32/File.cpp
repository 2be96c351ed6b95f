#include "platform/File.h"
#include "platform/win32/WinSupport.h"

namespace plat {

namespace {
intptr_t Open(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
  HANDLE h = CreateFileW(W(path).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
}
}  // namespace


TFile TFile::OpenAppend(const std::string& path) {
  // FILE_APPEND_DATA alone makes every write an atomic append at the end.
  return TFile(Open(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS));
}

TFile TFile::OpenRead(const std::string& path) {
  return TFile(Open(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING));
}

TFile TFile::CreateTruncate(const std::string& path) {
  return TFile(Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS));
}

bool TFile::Write(const void* data, size_t size) {
  if (!Valid()) return false;
  DWORD written = 0;
  return WriteFile(reinterpret_cast<HANDLE>(Handle_), data, static_cast<DWORD>(size), &written, nullptr) &&
         written == size;
}

int64_t TFile::Read(void* data, size_t size) {
  if (!Valid()) return -1;
  DWORD got = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(Handle_), data, static_cast<DWORD>(size), &got, nullptr)) return -1;
  return got;
}

void TFile::Close() {
  if (Valid()) CloseHandle(reinterpret_cast<HANDLE>(Handle_));
  Handle_ = kNone;
}

}  // namespace plat
