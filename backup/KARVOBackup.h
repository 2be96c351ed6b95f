#pragma once
// The backup plug-in: every five minutes (every minute while the server cannot
// be reached) it runs the main database's "PRunBackup" and writes what the
// procedure reports to its own trace log, Logs\Backup\ beside the host program.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Sync.h"

// Cycle periods: while the server answers, and after a failed connection test.
constexpr uint32_t NormalInterval = 300000;
constexpr uint32_t RetryInterval = 60000;

// The host program's file name without extension, followed by " (Backup)":
// the prefix of the load messages and the application name on the server.
const std::string& BackupAppName();

// The library's load and unload: trace folder, level and the two messages.
// Neither throws.
void BackupLoaded() noexcept;
void BackupUnloaded() noexcept;

// The body of _Execute: cycles until the stop event is seen set when a cycle's
// wait begins or during the wait. Only waits on the event. Never throws.
void RunBackupCycles(const plat::TEvent& stopEvent) noexcept;

// Tests: called at the end of each cycle's work, before its connection closes.
void SetBackupCycleHook(std::function<void()> hook);
