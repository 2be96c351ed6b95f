#include "service/DownloaderThread.h"

#include <stdexcept>

TNoPresizeFileStream::TNoPresizeFileStream(const std::string& fileName)
    : FFile(plat::TFile::CreateTruncate(fileName)) {
  if (!FFile) throw std::runtime_error("Cannot create file \"" + fileName + "\"");
}

bool TNoPresizeFileStream::Write(const void* data, size_t size) { return FFile.Write(data, size); }

TDownloaderThread::TDownloaderThread(const std::string& url, const std::string& destination,
                                     uint32_t timeoutMs)
    : FClient(std::make_unique<plat::THttpClient>()), FDestination(destination), FUrl(url) {
  FClient->SetReadTimeout(timeoutMs);
  FClient->SetConnectTimeout(timeoutMs);
  FClient->SetHandleRedirects(true);
  FClient->SetEvents(this);
}

TDownloaderThread::~TDownloaderThread() {
  // The transfer uses the members: it must be over before they go.
  WaitFor();
}

void TDownloaderThread::Execute() {
  TNoPresizeFileStream stream(FDestination);
  FClient->Get(FUrl, stream);
}

namespace {
bool IsSuccessStatus(int status) { return status >= 200 && status < 300; }
}  // namespace

void TDownloaderThread::ClientWorkBegin(int64_t workCountMax) {
  FWorkCountMax = workCountMax;
  // The count belongs to this response: one that delivers nothing must not
  // inherit the previous response's count.
  FWorkCount = 0;
  // A body without an announced length can never count as complete: it is
  // not worth writing to disk.
  if (workCountMax == 0 && !plat::THttpClient::IsRedirectStatus(FClient->StatusCode())) FClient->Abort();
}

void TDownloaderThread::ClientWork(int64_t workCount) {
  if (Terminated()) {
    FClient->Abort();
    return;
  }
  FWorkCount = workCount;
}

void TDownloaderThread::ClientWorkEnd() {
  if (FRedirected) {
    FRedirected = false;
    return;
  }
  // An error page that arrives whole is still no download.
  const bool complete = IsSuccessStatus(FClient->StatusCode()) && FWorkCountMax != 0 &&
                        FWorkCount >= FWorkCountMax;
  SetReturnValue(complete ? 1 : 0);
}

void TDownloaderThread::ClientRedirect() { FRedirected = true; }
