#pragma once
// The MD5 message digest (RFC 1321), written as 32 lower-case hexadecimal digits.
// One object per thread; objects share nothing.
#include <cstddef>
#include <cstdint>
#include <string>

class TMd5 {
 public:
  TMd5() { Reset(); }

  // Starts a new digest of zero bytes.
  void Reset();
  // Adds size bytes at data to the digest.
  void Add(const void* data, size_t size);
  // The digest of everything added so far. The running state is left as it
  // is, so more bytes may be added afterwards.
  std::string HexDigest() const;

 private:
  void Transform(const unsigned char* block);

  uint32_t FState[4];
  uint64_t FByteCount;
  unsigned char FBuffer[64];  // a started block: FByteCount % 64 bytes
};

// Digest text of the bytes of text.
std::string Md5OfString(const std::string& text);

// Digest text of a whole file's content, read in pieces through a fixed buffer
// (any size, constant memory), the file opened by its full Unicode name. ""
// when the file cannot be opened or read: an unreadable file must not pass for
// an empty one. Any thread may call it.
std::string GetFileMD5(const std::string& path);
