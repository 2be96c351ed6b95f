#include "restarter/FileUpgrade.h"

#include <stdexcept>
#include <vector>

#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/UserMessage.h"
#include "restarter/ServiceController.h"
#include "trace/XYTrace.h"

const char* const kRestartedServiceName = "KARVOService";

namespace {

// Names of the direct sub-folders and of the files of a folder, in the order
// the file system lists them; the folder must exist.
void ListFolderEntries(const std::string& folder, std::vector<std::string>& subFolders,
                       std::vector<std::string>& files) {
  if (!plat::DirectoryExists(folder)) throw std::runtime_error("Folder not found: " + folder);
  for (const plat::TDirEntry& e : plat::ListFolder(folder, "*")) (e.IsDirectory ? subFolders : files).push_back(e.Name);
}

void InstallFolder(const std::string& folder, const std::string& target, bool staging) {
  std::vector<std::string> subFolders, files;
  ListFolderEntries(folder, subFolders, files);
  for (const std::string& name : subFolders) {
    if (staging && name == "tmp") continue;  // the download folder; case matters
    InstallFolder(folder + name + plat::PathDelim, target + name + plat::PathDelim, false);
    plat::RemoveTree(folder + name);  // what cannot be removed stays, as the next check clears it
  }
  for (const std::string& name : files) {
    WriteTrace(TraceProgress, "Updating file: " + name);
    const std::string source = folder + name;
    const std::string targetFile = target + name;
    plat::ForceDirectories(target);
    if (plat::FileExists(targetFile)) {
      WriteTrace(TraceProgress, "Deleting existing file: " + targetFile);
      if (!plat::RemoveFile(targetFile)) throw std::runtime_error("Could not delete file: " + targetFile);
    }
    WriteTrace(TraceProgress, "Moving update file: " + source + " to: " + targetFile);
    if (!plat::RenameFile(source, targetFile))
      throw std::runtime_error("Could not move file: " + source + " to: " + targetFile);
  }
}

void ReportStartError(const std::string& error) {
  // Nobody may be there to close a message box: the text goes to the log, and
  // to the user only in a way that does not wait.
  WriteTrace(TraceProgress, "Service could not be started: " + error);
  plat::NotifyUserNoWait("KARVO Service Restarter", error);
}

}  // namespace

void InstallStagedFiles(const std::string& stagingFolder, const std::string& targetFolder) {
  InstallFolder(stagingFolder, targetFolder, true);
}

void RunFileUpgrade(plat::IServiceManager& manager, const std::string& programFolder) {
  const std::string traceFolder = programFolder + "Logs" + plat::PathDelim + "Restarter" + plat::PathDelim;
  if (!plat::DirectoryExists(traceFolder)) plat::ForceDirectories(traceFolder);
  SetTraceFolder(traceFolder);
  SetTraceLevel(TraceProgress);
  WriteTrace(TraceProgress, "Performing file upgrade");

  TServiceController controller(manager, kRestartedServiceName, ReportStartError);
  try {
    WriteTrace(TraceProgress, "Stopping Service");
    controller.Stop(false);
    const std::string staging = programFolder + "Update";
    InstallStagedFiles(staging + plat::PathDelim, programFolder);
    plat::RemoveTree(staging);
    WriteTrace(TraceProgress, "Starting Service");
    controller.Start();
  } catch (const std::exception& e) {
    WriteTrace(TraceProgress, std::string("Something went wrong, restarting service: ") + e.what());
    controller.Restart(true);
  }
}
