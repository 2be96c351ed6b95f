// KARVOService against the service control manager (Windows / Wine only):
// install, registration, start, pause, continue, stop, uninstall, and a start
// outside the SCM. This test talks to the SCM itself, as an administrator's
// tool would.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/win32/WinSupport.h"
#include "tests/support/Fixtures.h"

namespace {

const std::string Exe = plat::HostPath(KARVO_SERVICE_EXE);

struct TSc {
  explicit TSc(SC_HANDLE h) : H(h) {}
  ~TSc() {
    if (H) CloseServiceHandle(H);
  }
  SC_HANDLE H;
};

DWORD StateOf(SC_HANDLE service) {
  SERVICE_STATUS status{};
  return QueryServiceStatus(service, &status) ? status.dwCurrentState : 0;
}

bool WaitState(SC_HANDLE service, DWORD state) {
  for (int i = 0; i < 600 && StateOf(service) != state; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return StateOf(service) == state;
}

void RemoveService() {
  TSc manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  TSc service(OpenServiceW(manager.H, L"KARVOService", SERVICE_ALL_ACCESS));
  if (!service.H) return;
  SERVICE_STATUS status{};
  ControlService(service.H, SERVICE_CONTROL_STOP, &status);
  WaitState(service.H, SERVICE_STOPPED);
  DeleteService(service.H);
}

std::string TraceText() {
  return fixtures::ReadTraceFolder(plat::ExtractFilePath(Exe) + "Logs\\Service\\");
}

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The backup status check runs once at the end of every run of the program;
// the SCM sees a service stopped before its process has run it.
size_t VerifyCalls() { return Count(fixtures::StandInRecord(), "\"proc\": \"PVerifyBackupStatus\""); }
bool WaitVerifyCalls(size_t n) {
  for (int i = 0; i < 200 && VerifyCalls() < n; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  return VerifyCalls() == n;
}

}  // namespace

TEST(KARVOServiceScm, InstallRunPauseContinueStopUninstall) {
  RemoveService();
  plat::RemoveTree(plat::ExtractFilePath(Exe) + "Logs");
  ASSERT_NE(fixtures::Port("KARVO_STANDIN_DIR"), 0) << "the stand-in SQL Server is not running";
  fixtures::SetStandInScript("{}");
  const std::string ini = plat::ExtractFilePath(Exe) + "server.ini";
  ASSERT_TRUE(plat::WriteWholeFile(ini, fixtures::ServerIniText(fixtures::StandInAddress())));
  ASSERT_EQ(plat::RunAndWait(Exe, {"/INSTALL", "/SILENT"}), 0);
  EXPECT_TRUE(WaitVerifyCalls(1)) << "the install ends with the backup status check";

  TSc manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  auto opened = std::make_unique<TSc>(OpenServiceW(manager.H, L"KARVOService", SERVICE_ALL_ACCESS));
  TSc& service = *opened;
  ASSERT_TRUE(service.H) << "not registered";
  DWORD needed = 0;
  QueryServiceConfigW(service.H, nullptr, 0, &needed);
  std::vector<unsigned char> buffer(needed);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  ASSERT_TRUE(QueryServiceConfigW(service.H, config, needed, &needed));
  EXPECT_EQ(config->dwServiceType, DWORD(SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS));
  EXPECT_EQ(config->dwStartType, DWORD(SERVICE_AUTO_START));
  EXPECT_EQ(config->dwErrorControl, DWORD(SERVICE_ERROR_NORMAL));
  EXPECT_EQ(plat::U(config->lpDisplayName), "KARVO Service");
  EXPECT_EQ(plat::U(config->lpBinaryPathName), "\"" + Exe + "\"");
  if (config->lpServiceStartName && *config->lpServiceStartName)
    EXPECT_EQ(plat::U(config->lpServiceStartName), "LocalSystem");

  ASSERT_TRUE(StartServiceW(service.H, 0, nullptr));
  ASSERT_TRUE(WaitState(service.H, SERVICE_RUNNING));
  SERVICE_STATUS status{};
  ASSERT_TRUE(ControlService(service.H, SERVICE_CONTROL_PAUSE, &status));
  EXPECT_TRUE(WaitState(service.H, SERVICE_PAUSED));
  ASSERT_TRUE(ControlService(service.H, SERVICE_CONTROL_CONTINUE, &status));
  EXPECT_TRUE(WaitState(service.H, SERVICE_RUNNING));
  ASSERT_TRUE(ControlService(service.H, SERVICE_CONTROL_STOP, &status));
  EXPECT_TRUE(WaitState(service.H, SERVICE_STOPPED));
  EXPECT_TRUE(WaitVerifyCalls(2)) << "the service run ends with the backup status check";

  const std::string trace = TraceText();
  EXPECT_GE(Count(trace, "Starting Service (Ver: 1.0.0.1)"), 2u) << trace;
  EXPECT_GE(Count(trace, "SQL Server address: " + fixtures::StandInAddress()), 2u) << trace;
  EXPECT_GE(Count(trace, "Stopping Service"), 2u) << trace;

  opened.reset();  // a service marked for deletion goes with its last handle
  ASSERT_EQ(plat::RunAndWait(Exe, {"-uninstall", "-silent"}), 0);
  EXPECT_TRUE(WaitVerifyCalls(3));
  TSc gone(OpenServiceW(manager.H, L"KARVOService", SERVICE_QUERY_STATUS));
  EXPECT_FALSE(gone.H);

  // Outside the SCM the program returns and still writes its last line.
  const size_t before = Count(TraceText(), "Stopping Service");
  EXPECT_EQ(plat::RunAndWait(Exe, {}), 0);
  EXPECT_EQ(Count(TraceText(), "Stopping Service"), before + 1);
  EXPECT_TRUE(WaitVerifyCalls(4)) << "a start outside the SCM ends with the backup status check";
  const std::string record = fixtures::StandInRecord();
  for (size_t at = record.find("\"event\": \"login\""); at != std::string::npos;
       at = record.find("\"event\": \"login\"", at + 1)) {
    const std::string line = record.substr(at, record.find('\n', at) - at);
    EXPECT_TRUE(line.find("\"app\": \"KARVO Service\"") != std::string::npos ||
                line.find("\"app\": \"KARVOService (Backup)\"") != std::string::npos)
        << line;
  }

  // Without server.ini nothing is asked and the program ends normally.
  plat::RemoveFile(ini);
  EXPECT_EQ(plat::RunAndWait(Exe, {}), 0);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  EXPECT_EQ(VerifyCalls(), 4u);
  RemoveService();
}
