#include "platform/FileVersion.h"

#include <vector>

#include "platform/win32/WinSupport.h"

namespace plat {

bool ReadFileVersion(const std::string& path, uint16_t out[4]) {
  const std::wstring wide = W(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<unsigned char> buffer(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, buffer.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  // A block without fixed file information counts as no version.
  if (!VerQueryValueW(buffer.data(), L"\\", reinterpret_cast<void**>(&info), &length) || !info ||
      length < sizeof(VS_FIXEDFILEINFO))
    return false;
  out[0] = HIWORD(info->dwFileVersionMS);
  out[1] = LOWORD(info->dwFileVersionMS);
  out[2] = HIWORD(info->dwFileVersionLS);
  out[3] = LOWORD(info->dwFileVersionLS);
  return true;
}

}  // namespace plat
