#pragma once
// COM initialisation for the calling thread (single-threaded apartment),
// undone when the object goes. No-op on POSIX.
namespace plat {

class TComInit {
 public:
  TComInit();
  ~TComInit();
  TComInit(const TComInit&) = delete;
  TComInit& operator=(const TComInit&) = delete;
  // True when this object's initialisation succeeded (also when COM was
  // already initialised on the thread).
  bool Initialised() const { return Ok_; }

 private:
  bool Ok_ = false;
};

// Whether COM is initialised on the calling thread (POSIX: always false).
bool ComInitialisedOnThisThread();

}  // namespace plat
