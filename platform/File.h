#pragma once
// An open file, owned: closed when the object goes. Not shared between threads
// without the caller's own lock.
#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

class TFile {
 public:
  TFile() = default;
  ~TFile();
  TFile(TFile&& other) noexcept;
  TFile& operator=(TFile&& other) noexcept;
  TFile(const TFile&) = delete;
  TFile& operator=(const TFile&) = delete;

  // Opens for appending, creating the file when missing. Every write lands at
  // the end, also when other processes append at the same time. Others may read
  // and append too.
  static TFile OpenAppend(const std::string& path);
  // Opens for reading; others may read and write.
  static TFile OpenRead(const std::string& path);
  // Creates or truncates for writing; others may read but not write meanwhile
  // (POSIX has no deny-write sharing: there others are not kept out).
  static TFile CreateTruncate(const std::string& path);

  bool Valid() const { return Handle_ != kNone; }
  explicit operator bool() const { return Valid(); }
  // One write call; true when every byte was written.
  bool Write(const void* data, size_t size);
  // Reads up to size bytes; the count read, 0 at the end, -1 on error.
  int64_t Read(void* data, size_t size);
  void Close();

 private:
  static constexpr intptr_t kNone = -1;
  explicit TFile(intptr_t handle) : Handle_(handle) {}
  intptr_t Handle_ = kNone;
};

}  // namespace plat
