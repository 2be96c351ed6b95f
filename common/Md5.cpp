#include "common/Md5.h"

#include <cstring>
#include <vector>

#include "platform/File.h"

namespace {

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

inline uint32_t LoadLittle(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The four round functions folded into one step each.
inline void StepF(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
  a = b + RotateLeft(a + (d ^ (b & (c ^ d))) + x + t, s);
}
inline void StepG(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
  // (b & d) | (c & ~d) with the two halves added independently.
  a = b + RotateLeft(a + x + t + (~d & c) + (d & b), s);
}
inline void StepH(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
  a = b + RotateLeft(a + (b ^ c ^ d) + x + t, s);
}
inline void StepI(uint32_t& a, uint32_t b, uint32_t c, uint32_t d, uint32_t x, int s, uint32_t t) {
  a = b + RotateLeft(a + (c ^ (b | ~d)) + x + t, s);
}

}  // namespace

void TMd5::Reset() {
  FState[0] = 0x67452301;
  FState[1] = 0xefcdab89;
  FState[2] = 0x98badcfe;
  FState[3] = 0x10325476;
  FByteCount = 0;
}

void TMd5::Transform(const unsigned char* block) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) x[i] = LoadLittle(block + 4 * i);
  uint32_t a = FState[0], b = FState[1], c = FState[2], d = FState[3];

  StepF(a, b, c, d, x[0], 7, 0xd76aa478);
  StepF(d, a, b, c, x[1], 12, 0xe8c7b756);
  StepF(c, d, a, b, x[2], 17, 0x242070db);
  StepF(b, c, d, a, x[3], 22, 0xc1bdceee);
  StepF(a, b, c, d, x[4], 7, 0xf57c0faf);
  StepF(d, a, b, c, x[5], 12, 0x4787c62a);
  StepF(c, d, a, b, x[6], 17, 0xa8304613);
  StepF(b, c, d, a, x[7], 22, 0xfd469501);
  StepF(a, b, c, d, x[8], 7, 0x698098d8);
  StepF(d, a, b, c, x[9], 12, 0x8b44f7af);
  StepF(c, d, a, b, x[10], 17, 0xffff5bb1);
  StepF(b, c, d, a, x[11], 22, 0x895cd7be);
  StepF(a, b, c, d, x[12], 7, 0x6b901122);
  StepF(d, a, b, c, x[13], 12, 0xfd987193);
  StepF(c, d, a, b, x[14], 17, 0xa679438e);
  StepF(b, c, d, a, x[15], 22, 0x49b40821);

  StepG(a, b, c, d, x[1], 5, 0xf61e2562);
  StepG(d, a, b, c, x[6], 9, 0xc040b340);
  StepG(c, d, a, b, x[11], 14, 0x265e5a51);
  StepG(b, c, d, a, x[0], 20, 0xe9b6c7aa);
  StepG(a, b, c, d, x[5], 5, 0xd62f105d);
  StepG(d, a, b, c, x[10], 9, 0x02441453);
  StepG(c, d, a, b, x[15], 14, 0xd8a1e681);
  StepG(b, c, d, a, x[4], 20, 0xe7d3fbc8);
  StepG(a, b, c, d, x[9], 5, 0x21e1cde6);
  StepG(d, a, b, c, x[14], 9, 0xc33707d6);
  StepG(c, d, a, b, x[3], 14, 0xf4d50d87);
  StepG(b, c, d, a, x[8], 20, 0x455a14ed);
  StepG(a, b, c, d, x[13], 5, 0xa9e3e905);
  StepG(d, a, b, c, x[2], 9, 0xfcefa3f8);
  StepG(c, d, a, b, x[7], 14, 0x676f02d9);
  StepG(b, c, d, a, x[12], 20, 0x8d2a4c8a);

  StepH(a, b, c, d, x[5], 4, 0xfffa3942);
  StepH(d, a, b, c, x[8], 11, 0x8771f681);
  StepH(c, d, a, b, x[11], 16, 0x6d9d6122);
  StepH(b, c, d, a, x[14], 23, 0xfde5380c);
  StepH(a, b, c, d, x[1], 4, 0xa4beea44);
  StepH(d, a, b, c, x[4], 11, 0x4bdecfa9);
  StepH(c, d, a, b, x[7], 16, 0xf6bb4b60);
  StepH(b, c, d, a, x[10], 23, 0xbebfbc70);
  StepH(a, b, c, d, x[13], 4, 0x289b7ec6);
  StepH(d, a, b, c, x[0], 11, 0xeaa127fa);
  StepH(c, d, a, b, x[3], 16, 0xd4ef3085);
  StepH(b, c, d, a, x[6], 23, 0x04881d05);
  StepH(a, b, c, d, x[9], 4, 0xd9d4d039);
  StepH(d, a, b, c, x[12], 11, 0xe6db99e5);
  StepH(c, d, a, b, x[15], 16, 0x1fa27cf8);
  StepH(b, c, d, a, x[2], 23, 0xc4ac5665);

  StepI(a, b, c, d, x[0], 6, 0xf4292244);
  StepI(d, a, b, c, x[7], 10, 0x432aff97);
  StepI(c, d, a, b, x[14], 15, 0xab9423a7);
  StepI(b, c, d, a, x[5], 21, 0xfc93a039);
  StepI(a, b, c, d, x[12], 6, 0x655b59c3);
  StepI(d, a, b, c, x[3], 10, 0x8f0ccc92);
  StepI(c, d, a, b, x[10], 15, 0xffeff47d);
  StepI(b, c, d, a, x[1], 21, 0x85845dd1);
  StepI(a, b, c, d, x[8], 6, 0x6fa87e4f);
  StepI(d, a, b, c, x[15], 10, 0xfe2ce6e0);
  StepI(c, d, a, b, x[6], 15, 0xa3014314);
  StepI(b, c, d, a, x[13], 21, 0x4e0811a1);
  StepI(a, b, c, d, x[4], 6, 0xf7537e82);
  StepI(d, a, b, c, x[11], 10, 0xbd3af235);
  StepI(c, d, a, b, x[2], 15, 0x2ad7d2bb);
  StepI(b, c, d, a, x[9], 21, 0xeb86d391);

  FState[0] += a;
  FState[1] += b;
  FState[2] += c;
  FState[3] += d;
}

void TMd5::Add(const void* data, size_t size) {
  if (size == 0) return;
  const auto* in = static_cast<const unsigned char*>(data);
  size_t fill = static_cast<size_t>(FByteCount % 64);
  FByteCount += size;
  if (fill > 0) {
    const size_t take = 64 - fill < size ? 64 - fill : size;
    std::memcpy(FBuffer + fill, in, take);
    in += take;
    size -= take;
    if (fill + take < 64) return;
    Transform(FBuffer);
  }
  // Whole blocks straight from the caller's bytes.
  for (; size >= 64; in += 64, size -= 64) Transform(in);
  if (size > 0) std::memcpy(FBuffer, in, size);
}

std::string TMd5::HexDigest() const {
  TMd5 copy = *this;
  const uint64_t bitCount = FByteCount * 8;
  unsigned char padding[72] = {0x80};
  const size_t fill = static_cast<size_t>(FByteCount % 64);
  const size_t padSize = fill < 56 ? 56 - fill : 120 - fill;
  unsigned char length[8];
  for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bitCount >> (8 * i));
  copy.Add(padding, padSize);
  copy.Add(length, 8);

  static const char kDigits[] = "0123456789abcdef";
  std::string text(32, '0');
  for (int i = 0; i < 16; ++i) {
    const unsigned byte = (copy.FState[i / 4] >> (8 * (i % 4))) & 0xFF;
    text[2 * i] = kDigits[byte >> 4];
    text[2 * i + 1] = kDigits[byte & 0x0F];
  }
  return text;
}

std::string Md5OfString(const std::string& text) {
  TMd5 md5;
  md5.Add(text.data(), text.size());
  return md5.HexDigest();
}

std::string GetFileMD5(const std::string& path) {
  try {
    plat::TFile file = plat::TFile::OpenRead(path);
    if (!file) return std::string();
    std::vector<unsigned char> buffer(1 << 20);
    TMd5 md5;
    for (;;) {
      const int64_t got = file.Read(buffer.data(), buffer.size());
      if (got < 0) return std::string();
      if (got == 0) break;
      md5.Add(buffer.data(), static_cast<size_t>(got));
    }
    return md5.HexDigest();
  } catch (const std::exception&) {
    return std::string();
  }
}
