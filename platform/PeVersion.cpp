#include "platform/PeVersion.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

namespace plat {
namespace {

// Random access to the file's bytes; Read fails unless all size bytes exist.
class TByteSource {
 public:
  virtual ~TByteSource() = default;
  virtual bool Read(uint64_t offset, void* out, size_t size) = 0;
};

class TStringSource : public TByteSource {
 public:
  explicit TStringSource(const std::string& bytes) : FBytes(bytes) {}
  bool Read(uint64_t offset, void* out, size_t size) override {
    if (offset > FBytes.size() || size > FBytes.size() - offset) return false;
    if (size > 0) FBytes.copy(static_cast<char*>(out), size, static_cast<size_t>(offset));
    return true;
  }

 private:
  const std::string& FBytes;
};

class TFileSource : public TByteSource {
 public:
  explicit TFileSource(const std::string& utf8Path)
      : FIn(std::filesystem::u8path(utf8Path), std::ios::binary) {
    if (FIn && FIn.seekg(0, std::ios::end)) {
      const std::streamoff end = FIn.tellg();
      if (end >= 0) FSize = static_cast<uint64_t>(end);
    }
  }
  bool Read(uint64_t offset, void* out, size_t size) override {
    if (offset > FSize || size > FSize - offset) return false;
    FIn.clear();
    if (!FIn.seekg(static_cast<std::streamoff>(offset))) return false;
    return static_cast<bool>(FIn.read(static_cast<char*>(out), static_cast<std::streamsize>(size)));
  }

 private:
  std::ifstream FIn;
  uint64_t FSize = 0;
};

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kVersionInfoId = 1;
constexpr uint32_t kHighBit = 0x80000000u;
constexpr uint32_t kFixedInfoSignature = 0xFEEF04BDu;
constexpr size_t kFixedInfoSize = 52;
constexpr size_t kSectionHeaderSize = 40;

struct TSection {
  uint32_t VirtualAddress;
  uint32_t RawSize;
  uint32_t RawOffset;
};

// The file offset of size bytes at rva, when a section's raw data holds them.
bool RvaToOffset(const std::vector<TSection>& sections, uint32_t rva, uint32_t size, uint64_t& offset) {
  for (const TSection& s : sections) {
    if (rva < s.VirtualAddress) continue;
    const uint32_t delta = rva - s.VirtualAddress;
    if (delta >= s.RawSize || size > s.RawSize - delta) continue;
    offset = uint64_t{s.RawOffset} + delta;
    return true;
  }
  return false;
}

// In the resource directory at dirOffset, the entry with the given id (or the
// first entry when id is absent). Gives the entry's offset field.
bool FindEntry(TByteSource& src, uint64_t dirOffset, const uint32_t* id, uint32_t& target) {
  unsigned char header[16];
  if (!src.Read(dirOffset, header, sizeof header)) return false;
  const uint32_t named = Le16(header + 12);
  const uint32_t count = named + Le16(header + 14);
  for (uint32_t i = 0; i < count; ++i) {
    unsigned char entry[8];
    if (!src.Read(dirOffset + 16 + uint64_t{i} * 8, entry, sizeof entry)) return false;
    const uint32_t name = Le32(entry);
    if (id == nullptr || ((name & kHighBit) == 0 && name == *id)) {
      target = Le32(entry + 4);
      return true;
    }
  }
  return false;
}

bool ParseFrom(TByteSource& src, uint16_t out[4]) {
  unsigned char dos[64];
  if (!src.Read(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
  const uint64_t peOffset = Le32(dos + 0x3C);

  unsigned char coff[24];
  if (!src.Read(peOffset, coff, sizeof coff) || coff[0] != 'P' || coff[1] != 'E' || coff[2] != 0 ||
      coff[3] != 0) {
    return false;
  }
  const uint32_t sectionCount = Le16(coff + 6);
  const uint32_t optionalSize = Le16(coff + 20);
  const uint64_t optionalOffset = peOffset + sizeof coff;

  std::vector<unsigned char> optional(optionalSize);
  if (optionalSize < 2 || !src.Read(optionalOffset, optional.data(), optional.size())) return false;
  size_t countAt;
  size_t directoriesAt;
  switch (Le16(optional.data())) {
    case 0x10B:  // PE32
      countAt = 92;
      directoriesAt = 96;
      break;
    case 0x20B:  // PE32+
      countAt = 108;
      directoriesAt = 112;
      break;
    default:
      return false;
  }
  constexpr size_t kResourceDirectory = 2;
  const size_t resourceAt = directoriesAt + kResourceDirectory * 8;
  if (resourceAt + 8 > optionalSize || Le32(optional.data() + countAt) <= kResourceDirectory) return false;
  const uint32_t resourceRva = Le32(optional.data() + resourceAt);
  if (resourceRva == 0) return false;

  std::vector<TSection> sections;
  sections.reserve(sectionCount);
  for (uint32_t i = 0; i < sectionCount; ++i) {
    unsigned char header[kSectionHeaderSize];
    if (!src.Read(optionalOffset + optionalSize + uint64_t{i} * kSectionHeaderSize, header, sizeof header))
      return false;
    sections.push_back(TSection{Le32(header + 12), Le32(header + 16), Le32(header + 20)});
  }

  // Type, then name, then language; offsets are relative to the directory root.
  uint64_t root;
  if (!RvaToOffset(sections, resourceRva, 16, root)) return false;
  uint32_t target;
  if (!FindEntry(src, root, &kRtVersion, target) || (target & kHighBit) == 0) return false;
  if (!FindEntry(src, root + (target & ~kHighBit), &kVersionInfoId, target) || (target & kHighBit) == 0)
    return false;
  if (!FindEntry(src, root + (target & ~kHighBit), nullptr, target) || (target & kHighBit) != 0) return false;

  unsigned char dataEntry[16];
  if (!src.Read(root + target, dataEntry, sizeof dataEntry)) return false;
  const uint32_t dataRva = Le32(dataEntry);
  // A VS_VERSIONINFO block's length is 16 bits; nothing beyond it is needed.
  const uint32_t dataSize = std::min<uint32_t>(Le32(dataEntry + 4), 0xFFFF);
  uint64_t dataOffset;
  if (dataSize < 6 || !RvaToOffset(sections, dataRva, dataSize, dataOffset)) return false;
  std::vector<unsigned char> block(dataSize);
  if (!src.Read(dataOffset, block.data(), block.size())) return false;

  // VS_VERSIONINFO: wLength, wValueLength, wType, the key (UTF-16, NUL
  // ended), padding to 32 bits, then the VS_FIXEDFILEINFO value.
  const size_t length = std::min<size_t>(Le16(block.data()), block.size());
  if (Le16(block.data() + 2) < kFixedInfoSize) return false;
  size_t pos = 6;
  while (pos + 2 <= length && Le16(block.data() + pos) != 0) pos += 2;
  pos += 2;
  pos = (pos + 3) & ~size_t{3};
  if (pos > length || kFixedInfoSize > length - pos) return false;
  const unsigned char* fixed = block.data() + pos;
  if (Le32(fixed) != kFixedInfoSignature) return false;
  const uint32_t versionMs = Le32(fixed + 8);
  const uint32_t versionLs = Le32(fixed + 12);
  out[0] = static_cast<uint16_t>(versionMs >> 16);
  out[1] = static_cast<uint16_t>(versionMs & 0xFFFF);
  out[2] = static_cast<uint16_t>(versionLs >> 16);
  out[3] = static_cast<uint16_t>(versionLs & 0xFFFF);
  return true;
}

}  // namespace

bool ReadPeFileVersion(const std::string& utf8Path, uint16_t out[4]) {
  TFileSource source(utf8Path);
  return ParseFrom(source, out);
}

bool ParsePeFileVersion(const std::string& fileBytes, uint16_t out[4]) {
  TStringSource source(fileBytes);
  return ParseFrom(source, out);
}

}  // namespace plat
