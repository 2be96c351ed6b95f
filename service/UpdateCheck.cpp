#include "service/UpdateCheck.h"

#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Database.h"
#include "common/FileVersion.h"
#include "common/Md5.h"
#include "common/ServerSettings.h"
#include "common/VersionText.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "service/DownloaderThread.h"
#include "service/UpdateConfig.h"
#include "trace/XYTrace.h"

#ifndef KARVO_UPDATE_SERVER
#define KARVO_UPDATE_SERVER "http://127.0.0.1:8480"
#endif

namespace {

const char* const kConfigPath = "/patch/KarvoService/config";
const char* const kDefaultDbVersion = "1v0v0r00";

// Fields of one configuration entry, in line order.
enum { RequiredDbVersionField, RelativePathField, FileVersionField, FileMd5Field, DownloadUrlField, EntryFields };

std::string UpdateServerBase() {
  std::string base = ReadServerIniString("Update", "Server", KARVO_UPDATE_SERVER);
  if (!base.empty() && base.back() == '/') base.pop_back();
  return base;
}

std::string ApplicationName() {
  return plat::ChangeFileExt(plat::ExtractFileName(plat::ProgramFile()), "");
}

}  // namespace

bool IsSafeRelativePath(const std::string& relativePath) {
  if (relativePath.empty()) return false;
  size_t start = 0;
  for (;;) {
    const size_t end = relativePath.find_first_of("\\/", start);
    const std::string part = relativePath.substr(start, end == std::string::npos ? std::string::npos : end - start);
    // An empty part also catches a leading separator (absolute, UNC) and a trailing one.
    if (part.empty() || part == "." || part == ".." || part.find(':') != std::string::npos) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::string UpdateConfigUrl() { return UpdateServerBase() + kConfigPath; }

namespace {

std::string ToPlatformSeparators(std::string path) {
  for (char& c : path)
    if (c == '\\' || c == '/') c = plat::PathDelim[0];
  return path;
}

// Deletes a file where present; a failure is written to the trace, not raised,
// so that one entry's clean-up cannot end the whole check.
void RemoveLeftover(const std::string& path) {
  if (plat::FileExists(path) && !plat::RemoveFile(path)) WriteTrace(TraceError, "Could not delete " + path);
}

}  // namespace

bool CheckForUpdates() {
  bool staged = false;
  WriteTrace(TraceProgress, "Checking updates...");

  const std::string folder = plat::ProgramFolder();
  const std::string configFile = folder + "config";
  auto configThread = std::make_unique<TDownloaderThread>(UpdateConfigUrl(), configFile);
  configThread->Start();
  if (configThread->WaitFor() != 0 && !ReadServerSettings().empty()) {
    std::string dbVersion = kDefaultDbVersion;
    WriteTrace(TraceProgress, "Fetching database version...");
    try {
      std::unique_ptr<plat::TDbConnection> connection = CreateMainDbConnection(ApplicationName());
      dbVersion = GetDatabaseVersion(connection.get());
    } catch (const std::exception& e) {
      WriteTrace(TraceProgress, std::string("Could not fetch database version: ") + e.what());
    }

    std::vector<std::string> lines;
    std::string bytes;
    if (plat::ReadWholeFile(configFile, bytes)) {
      lines = LoadTextLines(bytes);
      plat::RemoveFile(configFile);
    }

    const std::string stagingFolder = folder + "update" + plat::PathDelim;
    const std::string downloadFolder = stagingFolder + "tmp" + plat::PathDelim;
    if (plat::DirectoryExists(stagingFolder)) plat::RemoveTree(stagingFolder);
    plat::ForceDirectories(stagingFolder);
    plat::ForceDirectories(downloadFolder);

    // What this check has staged: a later entry for the same file must not
    // delete it when it fails.
    std::set<std::string> stagedPaths;
    for (const std::string& line : lines) {
      const std::vector<std::string> fields = SplitConfigLine(line);
      if (fields.size() != EntryFields) continue;
      const std::string& relativePath = fields[RelativePathField];
      // The path comes from the network: it must stay inside the program's folder.
      if (!IsSafeRelativePath(relativePath)) {
        WriteTrace(TraceError, "Update entry refused, unsafe path: " + relativePath);
        continue;
      }
      const std::string installedPath = folder + ToPlatformSeparators(relativePath);
      const std::string fileName = plat::ExtractFileName(installedPath);
      const std::string relativeFolder = plat::ExtractFilePath(ToPlatformSeparators(relativePath));
      const std::string shownName = relativeFolder + fileName;
      plat::ForceDirectories(downloadFolder + relativeFolder);

      const std::string installedVersion = GetFileVersionString(installedPath);
      const bool newer = IsNewerVersion(fields[FileVersionField], installedVersion);
      const bool dbFits = IsDatabaseVersionAtLeast(dbVersion, fields[RequiredDbVersionField]);
      if (!dbFits || !newer) continue;

      WriteTrace(TraceProgress, "Downloading updated file: " + shownName + ", Ver.: " + fields[FileVersionField] +
                                    ", for DB: " + fields[RequiredDbVersionField] +
                                    " from: " + fields[DownloadUrlField]);
      const std::string downloadedFile = downloadFolder + relativeFolder + fileName;
      const std::string stagedFile = stagingFolder + relativeFolder + fileName;
      auto cleanUp = [&] {
        if (!stagedPaths.count(stagedFile)) RemoveLeftover(stagedFile);
        RemoveLeftover(downloadedFile);
      };
      try {
        auto thread = std::make_unique<TDownloaderThread>(fields[DownloadUrlField], downloadedFile);
        thread->Start();
        if (thread->WaitFor() == 0) throw std::runtime_error("Error while downloading file: " + shownName);
        WriteTrace(TraceProgress, "Successfully downloaded: " + shownName);
        const std::string digest = GetFileMD5(downloadedFile);
        if (digest != fields[FileMd5Field]) {
          WriteTrace(TraceProgress, "MD5 mismatched, update aborted. Deleting " + downloadedFile);
          if (!plat::RemoveFile(downloadedFile)) throw std::runtime_error("Could not delete " + downloadedFile);
        } else {
          WriteTrace(TraceProgress, "Staging file for update into: " + stagedFile);
          plat::ForceDirectories(stagingFolder + relativeFolder);
          if (!plat::RenameFile(downloadedFile, stagedFile))
            throw std::runtime_error("Could not move " + downloadedFile + " to " + stagedFile);
          stagedPaths.insert(stagedFile);
          staged = true;
        }
      } catch (const std::exception& e) {
        WriteTrace(TraceError, e.what());
        cleanUp();
      } catch (...) {
        WriteTrace(TraceProgress, "Error while downloading file: " + shownName);
        cleanUp();
      }
    }
    if (plat::DirectoryExists(downloadFolder)) plat::RemoveTree(downloadFolder);
  }
  if (!staged) WriteTrace(TraceProgress, "No updates found");
  return staged;
}
