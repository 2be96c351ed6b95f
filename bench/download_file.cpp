// One TDownloaderThread download, for bench/md5_bench.sh: URL into FILE.
#include <cstdio>

#include "service/DownloaderThread.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: download_file URL FILE\n");
    return 2;
  }
  TDownloaderThread thread(argv[1], argv[2]);
  thread.Start();
  const int32_t result = thread.WaitFor();
  if (result != 1) std::fprintf(stderr, "download failed: %s\n", thread.FatalError().c_str());
  return result == 1 ? 0 : 1;
}
