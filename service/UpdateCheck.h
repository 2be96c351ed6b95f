#pragma once
// The self-update check: fetches the update configuration, downloads the newer
// files it lists, verifies them and stages them in "update" in the program's
// folder. The caller's thread must have COM initialised.
#include <string>

// True when at least one file was staged during this call.
bool CheckForUpdates();

// The address the configuration is fetched from: the update server (server.ini
// [Update] Server, else the build's default) + "/patch/KarvoService/config".
std::string UpdateConfigUrl();

// Whether a RelativePath of the configuration stays inside the program's
// folder: no absolute, drive or UNC form, no "." or ".." part, no ":", no
// empty part ("\" and "/" both separate parts).
bool IsSafeRelativePath(const std::string& relativePath);
