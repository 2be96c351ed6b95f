#pragma once
// A plain HTTP client: one GET at a time into a sink, with a connect and a read
// time-out, redirects followed, and notifications about each response.
//
// Notifications, per response received (a followed redirect is a response of
// its own): OnWorkBegin(announced length, 0 when the response announces none)
// once its headers are in; OnWork(cumulative byte count of its body) as data
// arrives; then, for a redirect that is followed, OnRedirect(next address);
// finally OnWorkEnd, also when the transfer then fails. StatusCode() already
// gives that response's status inside the notifications.
//
// Only the bodies of responses that are not followed as redirects reach the
// sink; they are streamed as they arrive, nothing holds a whole body.
//
// Threads: one object belongs to one thread at a time; the notifications run
// on the thread inside Get. Abort() may be called from a notification (or any
// thread): the transfer then stops at the next piece of data or time check.
//
// Backends: WinHTTP on Windows (no proxy), libcurl on POSIX.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>

namespace plat {

// Receives the body. A false result stops the transfer with an error.
class THttpSink {
 public:
  virtual ~THttpSink() = default;
  virtual bool Write(const void* data, size_t size) = 0;
};

class THttpEvents {
 public:
  virtual ~THttpEvents() = default;
  virtual void OnWorkBegin(int64_t announcedLength) = 0;
  virtual void OnWork(int64_t count) = 0;
  virtual void OnWorkEnd() = 0;
  virtual void OnRedirect(const std::string& location) = 0;
};

// Every failure of Get: address, connection, time-out, protocol, a body
// shorter than announced, the sink, too many redirects, an abort.
class THttpError : public std::runtime_error {
 public:
  THttpError(const std::string& message, bool aborted = false)
      : std::runtime_error(message), Aborted_(aborted) {}
  bool Aborted() const { return Aborted_; }

 private:
  bool Aborted_;
};

class THttpClient {
 public:
  THttpClient();
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // Milliseconds; 0 means the backend's own default. The read time-out is the
  // longest wait for any data once connected.
  void SetConnectTimeout(uint32_t ms) { ConnectTimeout_ = ms; }
  void SetReadTimeout(uint32_t ms) { ReadTimeout_ = ms; }
  // Whether 301, 302, 303, 307 and 308 answers with a Location are followed
  // (at most MaxRedirects in a row).
  void SetHandleRedirects(bool on) { HandleRedirects_ = on; }
  static constexpr int MaxRedirects = 15;
  void SetEvents(THttpEvents* events) { Events_ = events; }

  // GET of an http:// address, body into sink. Throws THttpError on failure.
  // Whatever status the server answers is no failure here: see StatusCode().
  void Get(const std::string& url, THttpSink& sink);
  // Status of the latest response (0 before any).
  int StatusCode() const { return StatusCode_; }
  void Abort() { Aborted_ = true; }

  // The address a Location header value refers to, seen from base.
  static std::string ResolveLocation(const std::string& base, const std::string& location);
  static bool IsRedirectStatus(int status);

 private:
  // One request, no redirect handling (backend). Fills location when the
  // answer is a redirect to follow.
  void GetOnce(const std::string& url, THttpSink& sink, std::string& location);

  // Response bookkeeping the backends share. Begin decides whether the answer
  // is a redirect to follow; Data passes a body piece on (false: stop, with
  // Error_ set); End sends the last notifications.
  void ResponseBegin(int status, int64_t announced, bool hasLocation);
  bool ResponseData(THttpSink& sink, const void* data, size_t size);
  void ResponseEnd(const std::string& redirectTo);
  bool Follow() const { return Follow_; }
  bool InResponse() const { return InResponse_; }

  struct TBackend;
  std::unique_ptr<TBackend> Backend_;
  THttpEvents* Events_ = nullptr;
  uint32_t ConnectTimeout_ = 0;
  uint32_t ReadTimeout_ = 0;
  bool HandleRedirects_ = true;
  int StatusCode_ = 0;
  std::atomic<bool> Aborted_{false};
  bool InResponse_ = false;
  bool Follow_ = false;
  int64_t Count_ = 0;
  std::string Error_;
};

}  // namespace plat
