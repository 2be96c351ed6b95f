#include "service/BackupStatus.h"

// Filled in with the database check; until then the check does nothing.
void VerifyBackupStatus(const std::string& appName) { (void)appName; }
