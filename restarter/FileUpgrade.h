#pragma once
// The restarter's run: stop the service, move the staged files from the
// staging folder "Update" over the program folder, remove the staging folder
// and start the service again; after an error restart the service instead.
#include <string>

#include "platform/ServiceManager.h"

// The service the restarter controls.
extern const char* const kRestartedServiceName;

// One run for the program folder (ending in a separator): sets up the trace log
// in its Logs\Restarter\ folder and controls the service through manager.
// Writes no message box; a refused start goes to the trace log and to a
// notification that nobody has to close. Throws nothing of the std::exception
// family.
void RunFileUpgrade(plat::IServiceManager& manager, const std::string& programFolder);

// Moves every file below stagingFolder (ending in a separator) to the same
// relative place below targetFolder, creating folders as needed and replacing
// existing files, sub-folders first; a direct sub-folder named exactly "tmp"
// (the download folder) is skipped. Each moved sub-folder is removed with
// whatever is left in it. Throws std::runtime_error when the staging folder is
// missing or a file cannot be replaced or moved; files moved before stay moved.
void InstallStagedFiles(const std::string& stagingFolder, const std::string& targetFolder);
