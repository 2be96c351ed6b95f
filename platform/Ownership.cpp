// Ownership of files, libraries and kernel objects (moves and destruction);
// the backends open, use and close them.
#include <utility>

#include "platform/File.h"
#include "platform/Library.h"
#include "platform/Sync.h"

namespace plat {

TFile::~TFile() { Close(); }
TFile::TFile(TFile&& other) noexcept : Handle_(other.Handle_) { other.Handle_ = kNone; }
TFile& TFile::operator=(TFile&& other) noexcept {
  if (this != &other) {
    Close();
    Handle_ = other.Handle_;
    other.Handle_ = kNone;
  }
  return *this;
}

TLibrary::~TLibrary() { Unload(); }
TLibrary::TLibrary(TLibrary&& other) noexcept : Handle_(other.Handle_), Error_(std::move(other.Error_)) {
  other.Handle_ = nullptr;
}
TLibrary& TLibrary::operator=(TLibrary&& other) noexcept {
  if (this != &other) {
    Unload();
    Handle_ = other.Handle_;
    Error_ = std::move(other.Error_);
    other.Handle_ = nullptr;
  }
  return *this;
}

TEvent::~TEvent() { Close(); }
TEvent::TEvent(TEvent&& other) noexcept : Native_(other.Native_), Owned_(other.Owned_), Existed_(other.Existed_) {
  other.Native_ = nullptr;
}
TEvent& TEvent::operator=(TEvent&& other) noexcept {
  if (this != &other) {
    Close();
    Native_ = other.Native_;
    Owned_ = other.Owned_;
    Existed_ = other.Existed_;
    other.Native_ = nullptr;
  }
  return *this;
}

TEvent TEvent::Borrow(void* native) {
  TEvent ev;
  ev.Native_ = native;
  ev.Owned_ = false;
  return ev;
}

TSemaphore::~TSemaphore() { Close(); }
TSemaphore::TSemaphore(TSemaphore&& other) noexcept
    : Native_(other.Native_), Name_(std::move(other.Name_)), Created_(other.Created_) {
  other.Native_ = nullptr;
}
TSemaphore& TSemaphore::operator=(TSemaphore&& other) noexcept {
  if (this != &other) {
    Close();
    Native_ = other.Native_;
    Name_ = std::move(other.Name_);
    Created_ = other.Created_;
    other.Native_ = nullptr;
  }
  return *this;
}

}  // namespace plat
