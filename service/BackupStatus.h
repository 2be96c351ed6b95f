#pragma once
// The backup status check at program end: runs "PVerifyBackupStatus" once on
// the main database. Reports nothing and never throws.
#include <string>

void VerifyBackupStatus(const std::string& appName);
