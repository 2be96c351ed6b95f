#include "platform/UserMessage.h"

#include <cstdio>

namespace plat {

void ShowMessage(const std::string& caption, const std::string& text, bool) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

void NotifyUserNoWait(const std::string& caption, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

}  // namespace plat
