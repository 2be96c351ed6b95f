// POSIX has no service control manager: the manager never opens.
#include "platform/ServiceManager.h"

namespace plat {
namespace {

class TNoServiceManager : public IServiceManager {
 public:
  std::unique_ptr<IServiceManagerConnection> OpenManager() override { return nullptr; }
};

}  // namespace

IServiceManager& SystemServiceManager() {
  static TNoServiceManager manager;
  return manager;
}

}  // namespace plat
