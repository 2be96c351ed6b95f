#pragma once
// Dynamic libraries: load by path, look up an export by name, unload.
// The library is unloaded when the object goes. Use it on one thread.
#include <string>

namespace plat {

class TLibrary {
 public:
  TLibrary() = default;
  ~TLibrary();
  TLibrary(TLibrary&& other) noexcept;
  TLibrary& operator=(TLibrary&& other) noexcept;
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;

  // Loads the DLL / shared object; not Valid() on failure, with Error() saying why.
  // POSIX: the library's symbols stay local to it (RTLD_LOCAL).
  static TLibrary Load(const std::string& path);

  bool Valid() const { return Handle_ != nullptr; }
  // Address of an export, or nullptr.
  void* Symbol(const std::string& name) const;
  const std::string& Error() const { return Error_; }
  void Unload();

 private:
  void* Handle_ = nullptr;
  std::string Error_;
};

}  // namespace plat
