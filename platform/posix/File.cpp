#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/File.h"

namespace plat {


TFile TFile::OpenAppend(const std::string& path) {
  return TFile(open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644));
}

TFile TFile::OpenRead(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  return TFile(fd);
}

TFile TFile::CreateTruncate(const std::string& path) {
  return TFile(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
}

bool TFile::Write(const void* data, size_t size) {
  if (!Valid()) return false;
  const char* p = static_cast<const char*>(data);
  // One write call carries the line; a short write (signal, full disk) is
  // finished off rather than left torn.
  while (size > 0) {
    ssize_t n = write(static_cast<int>(Handle_), p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

int64_t TFile::Read(void* data, size_t size) {
  if (!Valid()) return -1;
  for (;;) {
    ssize_t n = read(static_cast<int>(Handle_), data, size);
    if (n < 0 && errno == EINTR) continue;
    return n;
  }
}

void TFile::Close() {
  if (Valid()) close(static_cast<int>(Handle_));
  Handle_ = kNone;
}

}  // namespace plat
