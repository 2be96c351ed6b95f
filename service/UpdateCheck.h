#pragma once
// The self-update check: fetches the update configuration, downloads the newer
// files it lists, verifies them and stages them in "update" in the program's
// folder. The caller's thread must have COM initialised.
//
// True when at least one file was staged during this call.
bool CheckForUpdates();
