// The parts of the HTTP client both backends share: the redirect loop, the
// per-response notifications and resolving a Location value.
#include "platform/Http.h"

namespace plat {

void THttpClient::Get(const std::string& url, THttpSink& sink) {
  Aborted_ = false;
  StatusCode_ = 0;
  std::string current = url;
  for (int hops = 0;; ++hops) {
    std::string location;
    GetOnce(current, sink, location);
    if (location.empty()) return;
    if (hops >= MaxRedirects) throw THttpError("Too many redirects: " + url);
    current = location;
  }
}

bool THttpClient::IsRedirectStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

void THttpClient::ResponseBegin(int status, int64_t announced, bool hasLocation) {
  StatusCode_ = status;
  Follow_ = HandleRedirects_ && hasLocation && IsRedirectStatus(status);
  InResponse_ = true;
  Count_ = 0;
  if (Events_) Events_->OnWorkBegin(announced > 0 ? announced : 0);
}

bool THttpClient::ResponseData(THttpSink& sink, const void* data, size_t size) {
  if (Aborted_) {
    Error_ = "Transfer aborted";
    return false;
  }
  // A redirect's own body is read and dropped.
  if (!Follow_ && size > 0 && !sink.Write(data, size)) {
    Error_ = "Could not write the received data";
    return false;
  }
  Count_ += static_cast<int64_t>(size);
  if (Events_) Events_->OnWork(Count_);
  if (Aborted_) {
    Error_ = "Transfer aborted";
    return false;
  }
  return true;
}

void THttpClient::ResponseEnd(const std::string& redirectTo) {
  if (!InResponse_) return;
  InResponse_ = false;
  if (!redirectTo.empty() && Events_) Events_->OnRedirect(redirectTo);
  if (Events_) Events_->OnWorkEnd();
}

std::string THttpClient::ResolveLocation(const std::string& base, const std::string& location) {
  const size_t schemeEnd = location.find("://");
  if (schemeEnd != std::string::npos && location.find_first_of("/?#") > schemeEnd) return location;
  const size_t baseScheme = base.find("://");
  const size_t hostStart = baseScheme == std::string::npos ? 0 : baseScheme + 3;
  if (location.compare(0, 2, "//") == 0) return base.substr(0, hostStart - 2) + location;
  const size_t pathStart = base.find_first_of("/?#", hostStart);
  const std::string origin = base.substr(0, pathStart);
  if (!location.empty() && location[0] == '/') return origin + location;
  std::string path = pathStart == std::string::npos ? "/" : base.substr(pathStart);
  path = path.substr(0, path.find_first_of("?#"));
  if (!location.empty() && location[0] == '?') return origin + path + location;
  return origin + path.substr(0, path.rfind('/') + 1) + location;
}

}  // namespace plat
