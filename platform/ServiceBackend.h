#pragma once
// What the portable part of the service framework (ServiceCommon.cpp) needs of
// a backend. Internal to the platform layer.
#include <cstdint>

#include "platform/Service.h"

namespace plat::detail {

// The service thread's part: reports start and running, runs Execute (an
// exception goes to the event log), reports stopped.
void RunServiceBody(TService& service);
// Sends the status to the SCM when the process runs under it.
void ReportServiceStatus(const TService& service, TServiceState state);
// Makes the calling thread able to receive the wake-up; gives its id.
uint32_t PrepareServiceThread();
// Wakes the service thread from WaitThreadMessage.
void WakeServiceThread(uint32_t threadId);
// Waits up to ms for a message to the calling thread and true; false at once
// when the platform has no thread messages (the queue's condition is used).
bool WaitThreadMessage(uint32_t ms);
// Discards the wake-up messages of the calling thread.
void DrainThreadMessages();

}  // namespace plat::detail
