// Time from a stop request to SERVICE_STOPPED for installed services, polling
// the service control manager every millisecond.
//   service_stop_bench <rounds> <service>...
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Program.h"
#include "platform/ServiceManager.h"

namespace {

bool WaitForState(plat::IServiceHandle& service, uint32_t state, uint64_t limitMs) {
  const uint64_t until = plat::Clock().MonotonicMs() + limitMs;
  plat::TServiceStatus status;
  while (plat::Clock().MonotonicMs() < until) {
    if (service.QueryStatus(status) && status.CurrentState == state) return true;
    plat::Clock().Sleep(1);
  }
  return false;
}

}  // namespace

int ProgramMain(const std::vector<std::string>& args) {
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: service_stop_bench <rounds> <service>...\n");
    return 2;
  }
  const int rounds = std::stoi(args[0]);
  auto manager = plat::SystemServiceManager().OpenManager();
  if (!manager) {
    std::fprintf(stderr, "cannot open the service control manager\n");
    return 1;
  }
  std::printf("%-24s %10s %10s %10s\n", "service", "median ms", "min ms", "max ms");
  std::vector<double> medians;
  for (size_t s = 1; s < args.size(); ++s) {
    auto service = manager->OpenServiceByName(args[s]);
    if (!service) {
      std::fprintf(stderr, "no service %s\n", args[s].c_str());
      return 1;
    }
    std::vector<double> times;
    for (int r = 0; r < rounds; ++r) {
      std::string error;
      if (!service->Start(error) || !WaitForState(*service, plat::kServiceRunning, 60000)) {
        std::fprintf(stderr, "%s did not start: %s\n", args[s].c_str(), error.c_str());
        return 1;
      }
      plat::Clock().Sleep(200);  // let it settle into its wait
      const uint64_t start = plat::Clock().MonotonicMs();
      service->SendStop();
      if (!WaitForState(*service, plat::kServiceStopped, 60000)) {
        std::fprintf(stderr, "%s did not stop\n", args[s].c_str());
        return 1;
      }
      times.push_back(static_cast<double>(plat::Clock().MonotonicMs() - start));
    }
    std::sort(times.begin(), times.end());
    medians.push_back(times[times.size() / 2]);
    std::printf("%-24s %10.0f %10.0f %10.0f\n", args[s].c_str(), medians.back(), times.front(), times.back());
  }
  if (medians.size() == 2 && medians[1] > 0)
    std::printf("ratio %s / %s: %.2f\n", args[1].c_str(), args[2].c_str(), medians[0] / medians[1]);
  return 0;
}
