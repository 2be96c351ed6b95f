#pragma once
// One HTTP download into one file on a thread of its own. The owner
// constructs it, calls Start, then WaitFor, which gives 1 when the transfer
// completed and 0 when it did not, and destroys it afterwards.
//
// The members are written by the downloader thread only and read by the owner
// after WaitFor; Terminate() may come from any thread and aborts the transfer
// at its next piece of data.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/File.h"
#include "platform/Http.h"
#include "platform/Thread.h"

// The download's file: created (or emptied) at once, others may read it but
// not write it meanwhile. Its length is always what has been written so far:
// it is never grown to an announced size ahead of the data.
class TNoPresizeFileStream : public plat::THttpSink {
 public:
  // Throws std::runtime_error when the file cannot be created.
  explicit TNoPresizeFileStream(const std::string& fileName);
  bool Write(const void* data, size_t size) override;

 private:
  plat::TFile FFile;
};

class TDownloaderThread : public plat::TThread, private plat::THttpEvents {
 public:
  // Both limits of a download, in milliseconds.
  static constexpr uint32_t DefaultTimeout = 30000;

  // Constructed not running; timeoutMs sets the connect and the read time-out.
  TDownloaderThread(const std::string& url, const std::string& destination,
                    uint32_t timeoutMs = DefaultTimeout);
  ~TDownloaderThread() override;

  // What the last response announced and delivered (for the owner, after WaitFor).
  int64_t WorkCountMax() const { return FWorkCountMax; }
  int64_t WorkCount() const { return FWorkCount; }

 protected:
  void Execute() override;

 private:
  void OnWorkBegin(int64_t announcedLength) override { ClientWorkBegin(announcedLength); }
  void OnWork(int64_t count) override { ClientWork(count); }
  void OnWorkEnd() override { ClientWorkEnd(); }
  void OnRedirect(const std::string&) override { ClientRedirect(); }

  void ClientWorkBegin(int64_t workCountMax);
  void ClientWork(int64_t workCount);
  void ClientWorkEnd();
  void ClientRedirect();

  std::unique_ptr<plat::THttpClient> FClient;
  std::string FDestination;
  std::string FUrl;
  int64_t FWorkCountMax = 0;
  int64_t FWorkCount = 0;
  bool FRedirected = false;
};
