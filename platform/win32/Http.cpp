// WinHTTP backend of the HTTP client (synchronous mode, no proxy). WinHTTP's
// own redirect handling is switched off so that the shared loop sees and
// announces every response. The receive time-out of WinHTTP is the read
// time-out: it limits every wait for the answer and for each piece of body.
#include "platform/win32/WinSupport.h"

#include <winhttp.h>

#include <cwchar>
#include <vector>

#include "platform/Http.h"

namespace plat {

namespace {

struct TInternetDeleter {
  void operator()(void* h) const { WinHttpCloseHandle(h); }
};
using TInternet = std::unique_ptr<void, TInternetDeleter>;

std::string WinHttpErrorText(DWORD code) {
  if (code == ERROR_WINHTTP_TIMEOUT) return "Timed out";
  if (code == ERROR_WINHTTP_CANNOT_CONNECT) return "Could not connect";
  if (code == ERROR_WINHTTP_CONNECTION_ERROR) return "Connection broken";
  if (code == ERROR_WINHTTP_NAME_NOT_RESOLVED) return "Host name not resolved";
  std::string text = SystemErrorMessage(code);
  return "WinHTTP error " + std::to_string(code) + (text.empty() ? "" : ": " + text);
}

// A response header as text; false when the answer has none.
bool QueryHeader(HINTERNET request, DWORD which, std::wstring& value) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &bytes,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return false;
  std::vector<wchar_t> buffer(bytes / sizeof(wchar_t) + 1);
  if (!WinHttpQueryHeaders(request, which, WINHTTP_HEADER_NAME_BY_INDEX, buffer.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX))
    return false;
  value.assign(buffer.data(), bytes / sizeof(wchar_t));
  return true;
}

}  // namespace

struct THttpClient::TBackend {
  TInternet Session;
};

THttpClient::THttpClient() : Backend_(std::make_unique<TBackend>()) {
  Backend_->Session.reset(WinHttpOpen(L"KARVO", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                      WINHTTP_NO_PROXY_BYPASS, 0));
}

THttpClient::~THttpClient() = default;

void THttpClient::GetOnce(const std::string& url, THttpSink& sink, std::string& location) {
  InResponse_ = false;
  Error_.clear();
  if (!Backend_->Session) throw THttpError("Could not create an HTTP session: " + WinHttpErrorText(GetLastError()));

  const std::wstring wideUrl = W(url);
  URL_COMPONENTS parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts) || parts.nScheme != INTERNET_SCHEME_HTTP)
    throw THttpError("Not a valid http address: " + url);
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  std::wstring path(parts.lpszUrlPath ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  if (parts.lpszExtraInfo) path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (path.empty()) path = L"/";

  auto fail = [&](const std::string& what) {
    ResponseEnd(std::string());
    throw THttpError(what + ": " + url, Aborted_);
  };

  TInternet connection(WinHttpConnect(Backend_->Session.get(), host.c_str(), parts.nPort, 0));
  if (!connection) fail(WinHttpErrorText(GetLastError()));
  TInternet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES, 0));
  if (!request) fail(WinHttpErrorText(GetLastError()));
  const int connectMs = ConnectTimeout_ ? static_cast<int>(ConnectTimeout_) : 60000;
  const int readMs = ReadTimeout_ ? static_cast<int>(ReadTimeout_) : 30000;
  WinHttpSetTimeouts(request.get(), connectMs, connectMs, readMs, readMs);
  DWORD policy = WINHTTP_OPTION_REDIRECT_POLICY_NEVER;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_REDIRECT_POLICY, &policy, sizeof(policy));

  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr))
    fail(WinHttpErrorText(GetLastError()));

  DWORD status = 0;
  DWORD size = sizeof(status);
  WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  int64_t announced = 0;
  std::wstring text;
  if (QueryHeader(request.get(), WINHTTP_QUERY_CONTENT_LENGTH, text)) announced = std::wcstoll(text.c_str(), nullptr, 10);
  std::wstring wideLocation;
  const bool hasLocation = QueryHeader(request.get(), WINHTTP_QUERY_LOCATION, wideLocation) && !wideLocation.empty();

  ResponseBegin(static_cast<int>(status), announced, hasLocation);
  if (Aborted_) fail("Transfer aborted");

  std::vector<char> buffer(64 * 1024);
  for (;;) {
    // Ask what has arrived first and read only that: a read for more than has
    // arrived would wait for the rest and lose the part it holds on a time-out.
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request.get(), &available)) fail(WinHttpErrorText(GetLastError()));
    if (available == 0) break;
    DWORD got = 0;
    const DWORD want = available < buffer.size() ? available : static_cast<DWORD>(buffer.size());
    if (!WinHttpReadData(request.get(), buffer.data(), want, &got)) fail(WinHttpErrorText(GetLastError()));
    if (got == 0) break;
    if (!ResponseData(sink, buffer.data(), got)) fail(Error_);
  }
  if (announced > 0 && Count_ < announced) fail("Connection closed before the whole body arrived");

  location = Follow() ? ResolveLocation(url, U(wideLocation)) : std::string();
  ResponseEnd(location);
}

}  // namespace plat
