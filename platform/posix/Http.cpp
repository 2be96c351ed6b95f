// libcurl backend of the HTTP client. Redirects are followed by the shared
// loop, not by libcurl, so every response gets its own notifications. libcurl
// has no "no data for N ms" limit: the progress callback, which libcurl calls
// at least once a second even while nothing arrives, watches the time since
// the last data instead.
#include <curl/curl.h>

#include <chrono>
#include <cstring>
#include <mutex>

#include "platform/Http.h"

namespace plat {

namespace {

struct TCurlDeleter {
  void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
using TCurlPtr = std::unique_ptr<CURL, TCurlDeleter>;

using TSteady = std::chrono::steady_clock;

bool StartsWithNoCase(const char* text, size_t size, const char* prefix) {
  const size_t n = std::strlen(prefix);
  return size >= n && strncasecmp(text, prefix, n) == 0;
}

std::string Trim(std::string s) {
  const char* blanks = " \t\r\n";
  s.erase(0, s.find_first_not_of(blanks));
  s.erase(s.find_last_not_of(blanks) + 1);
  return s;
}

}  // namespace

struct THttpClient::TBackend {
  // State of one request, seen by the callbacks.
  THttpClient* Client = nullptr;
  THttpSink* Sink = nullptr;
  CURL* Curl = nullptr;
  std::string Location;
  bool HasLocation = false;
  bool ReadTimedOut = false;
  curl_off_t LastCount = -1;
  TSteady::time_point LastData;

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* b = static_cast<TBackend*>(self);
    const size_t n = size * count;
    if (StartsWithNoCase(data, n, "HTTP/")) {
      b->HasLocation = false;  // a new response (an interim one included)
      b->Location.clear();
    } else if (StartsWithNoCase(data, n, "Location:")) {
      b->Location = Trim(std::string(data + 9, n - 9));
      b->HasLocation = !b->Location.empty();
    } else if (Trim(std::string(data, n)).empty()) {
      long status = 0;
      curl_easy_getinfo(b->Curl, CURLINFO_RESPONSE_CODE, &status);
      if (status >= 200) {
        curl_off_t length = -1;
        curl_easy_getinfo(b->Curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        b->Client->ResponseBegin(static_cast<int>(status), length, b->HasLocation);
        if (b->Client->Aborted_) return 0;
      }
    }
    return n;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    auto* b = static_cast<TBackend*>(self);
    const size_t n = size * count;
    b->LastData = TSteady::now();
    return b->Client->ResponseData(*b->Sink, data, n) ? n : 0;
  }

  static int OnProgress(void* self, curl_off_t, curl_off_t now, curl_off_t, curl_off_t) {
    auto* b = static_cast<TBackend*>(self);
    if (b->Client->Aborted_) return 1;
    const auto t = TSteady::now();
    curl_off_t connected = 0;
    curl_easy_getinfo(b->Curl, CURLINFO_CONNECT_TIME_T, &connected);
    if (connected == 0 || now != b->LastCount) {
      // Not connected yet (the connect time-out rules then) or data came.
      b->LastCount = now;
      if (connected == 0) b->LastData = t;
      return 0;
    }
    const uint32_t limit = b->Client->ReadTimeout_;
    if (limit && t - b->LastData > std::chrono::milliseconds(limit)) {
      b->ReadTimedOut = true;
      return 1;
    }
    return 0;
  }
};

THttpClient::THttpClient() : Backend_(std::make_unique<TBackend>()) {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

THttpClient::~THttpClient() = default;

void THttpClient::GetOnce(const std::string& url, THttpSink& sink, std::string& location) {
  TCurlPtr curl(curl_easy_init());
  if (!curl) throw THttpError("Could not create an HTTP session");
  TBackend& b = *Backend_;
  b = TBackend();
  b.Client = this;
  b.Sink = &sink;
  b.Curl = curl.get();
  b.LastData = TSteady::now();
  InResponse_ = false;
  Error_.clear();

  char errorText[CURL_ERROR_SIZE] = {0};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, url.c_str());
  curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_PROXY, "");
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);
  if (ConnectTimeout_) curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(ConnectTimeout_));
  curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, &TBackend::OnHeader);
  curl_easy_setopt(c, CURLOPT_HEADERDATA, &b);
  // Large receive pieces: fewer callbacks and file writes per megabyte.
  curl_easy_setopt(c, CURLOPT_BUFFERSIZE, 512L * 1024);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &TBackend::OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &b);
  curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &TBackend::OnProgress);
  curl_easy_setopt(c, CURLOPT_XFERINFODATA, &b);

  const CURLcode rc = curl_easy_perform(c);
  if (rc != CURLE_OK) {
    std::string message;
    bool aborted = false;
    if (b.ReadTimedOut) {
      message = "Read timed out";
    } else if (Aborted_) {
      message = "Transfer aborted";
      aborted = true;
    } else if (!Error_.empty()) {
      message = Error_;
    } else {
      message = errorText[0] ? errorText : curl_easy_strerror(rc);
    }
    ResponseEnd(std::string());
    throw THttpError(message + ": " + url, aborted);
  }
  if (!InResponse_) throw THttpError("No answer: " + url);
  location = Follow() ? ResolveLocation(url, b.Location) : std::string();
  ResponseEnd(location);
}

}  // namespace plat
