#pragma once
// A client of the service control manager: open a service by name, query its
// status, start it, send it the stop control and change its start type.
//
// Every connection and service handle is an owned object: it is closed when
// the object goes. The objects of one manager are used by one thread at a time.
//
// POSIX has no service control manager: there OpenManager() always fails
// (returns nullptr) and nothing else can be reached.
#include <cstdint>
#include <memory>
#include <string>

namespace plat {

// Service states (the Windows values).
constexpr uint32_t kServiceStopped = 1;
constexpr uint32_t kServiceStartPending = 2;
constexpr uint32_t kServiceStopPending = 3;
constexpr uint32_t kServiceRunning = 4;

// Start types.
constexpr uint32_t kServiceAutoStart = 2;
constexpr uint32_t kServiceDemandStart = 3;

// The service's process status, field by field as the system reports it.
struct TServiceStatus {
  uint32_t ServiceType = 0;
  uint32_t CurrentState = 0;
  uint32_t ControlsAccepted = 0;
  uint32_t Win32ExitCode = 0;
  uint32_t ServiceSpecificExitCode = 0;
  uint32_t CheckPoint = 0;
  uint32_t WaitHint = 0;  // ms
  uint32_t ProcessId = 0;
  uint32_t ServiceFlags = 0;
};

// An open service (all access).
class IServiceHandle {
 public:
  virtual ~IServiceHandle() = default;
  // Fills status; false when the query failed (status is then unchanged).
  virtual bool QueryStatus(TServiceStatus& status) = 0;
  // Asks the manager to start the service without arguments. On failure
  // error receives the system's text for the reason.
  virtual bool Start(std::string& error) = 0;
  // Sends the stop control; true when the service accepted it.
  virtual bool SendStop() = 0;
  // Changes the start type only; service type, error control and every other
  // item of the configuration stay as they are.
  virtual bool SetStartType(uint32_t startType) = 0;
};

// An open connection to the local service control manager (all access).
class IServiceManagerConnection {
 public:
  virtual ~IServiceManagerConnection() = default;
  // nullptr when the service does not exist or may not be opened.
  virtual std::unique_ptr<IServiceHandle> OpenServiceByName(const std::string& name) = 0;
};

class IServiceManager {
 public:
  virtual ~IServiceManager() = default;
  // nullptr when the manager cannot be opened (no rights; POSIX: always).
  virtual std::unique_ptr<IServiceManagerConnection> OpenManager() = 0;
};

// The system's service control manager.
IServiceManager& SystemServiceManager();

}  // namespace plat
