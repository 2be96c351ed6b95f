// GetFileMD5 of one file, for bench/md5_bench.sh: prints the digest.
#include <cstdio>

#include "common/Md5.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: md5_file FILE\n");
    return 2;
  }
  const std::string digest = GetFileMD5(argv[1]);
  std::printf("%s\n", digest.c_str());
  return digest.empty() ? 1 : 0;
}
