// Clock, thread ids, libraries, processes, COM and code pages on Windows.


#include "platform/Clock.h"
#include "platform/Com.h"
#include "platform/Library.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "platform/Thread.h"
#include "platform/win32/WinSupport.h"

#include <objbase.h>

namespace plat {
namespace {

class TSystemClock : public IClock {
 public:
  TLocalTime LocalTime() override {
    SYSTEMTIME st;
    GetLocalTime(&st);
    TLocalTime r;
    r.Year = st.wYear;
    r.Month = st.wMonth;
    r.DayOfWeek = st.wDayOfWeek;
    r.Day = st.wDay;
    r.Hour = st.wHour;
    r.Minute = st.wMinute;
    r.Second = st.wSecond;
    r.Milliseconds = st.wMilliseconds;
    return r;
  }
  uint32_t TickCount() override { return GetTickCount(); }
  uint64_t MonotonicMs() override { return GetTickCount64(); }
  void Sleep(uint32_t ms) override { ::Sleep(ms); }
  TWaitResult Wait(const TWaitable& object, uint32_t ms) override { return object.WaitNative(ms); }
};

// Quotes one argument so that CommandLineToArgvW and the C runtime read it back.
std::wstring QuoteArg(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') out.append(backslashes * 2 + 1, L'\\');
    else out.append(backslashes, L'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, L'\\');
  out += L'"';
  return out;
}

TWinHandle Spawn(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  std::wstring cmd = QuoteArg(W(program));
  for (const auto& a : args) cmd += L" " + QuoteArg(W(a));
  std::wstring dir = W(workingFolder);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(W(program).c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : dir.c_str(), &si, &pi))
    return TWinHandle();
  CloseHandle(pi.hThread);
  return TWinHandle(pi.hProcess);
}

std::string CodePageToUtf8(const std::string& text, UINT cp) {
  if (text.empty()) return std::string();
  int n = MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(cp, 0, text.data(), static_cast<int>(text.size()), w.data(), n);
  return U(w);
}

std::string Utf8ToCodePage(const std::string& text, UINT cp) {
  if (text.empty()) return std::string();
  std::wstring w = W(text);
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), out.data(), n, nullptr, nullptr);
  return out;
}

}  // namespace

std::string SystemErrorMessage(DWORD code) {
  wchar_t* buf = nullptr;
  DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<LPWSTR>(&buf), 0, nullptr);
  std::wstring text = n && buf ? std::wstring(buf, n) : std::wstring();
  if (buf) LocalFree(buf);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  if (text.empty()) return "System error " + std::to_string(code);
  return U(text);
}

IClock& SystemClock() {
  // Never destroyed: detached threads may still sleep on it while the process ends.
  static TSystemClock* clock = new TSystemClock;
  return *clock;
}

uint32_t CurrentThreadId() { return GetCurrentThreadId(); }
uint32_t CurrentProcessId() { return GetCurrentProcessId(); }


TLibrary TLibrary::Load(const std::string& path) {
  TLibrary lib;
  // No error dialog for a file that is no DLL.
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  lib.Handle_ = LoadLibraryW(W(path).c_str());
  if (!lib.Handle_) lib.Error_ = SystemErrorMessage(GetLastError());
  SetErrorMode(old);
  return lib;
}

void* TLibrary::Symbol(const std::string& name) const {
  return Handle_ ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(Handle_), name.c_str())) : nullptr;
}

void TLibrary::Unload() {
  if (Handle_) FreeLibrary(static_cast<HMODULE>(Handle_));
  Handle_ = nullptr;
}

bool StartProgram(const std::string& program, const std::vector<std::string>& args,
                  const std::string& workingFolder) {
  return static_cast<bool>(Spawn(program, args, workingFolder));
}

int RunAndWait(const std::string& program, const std::vector<std::string>& args, const std::string& workingFolder) {
  TWinHandle process = Spawn(program, args, workingFolder);
  if (!process) return -1;
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  return static_cast<int>(code);
}

TComInit::TComInit() {
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Ok_ = SUCCEEDED(hr);
}

TComInit::~TComInit() {
  if (Ok_) CoUninitialize();
}

bool ComInitialisedOnThisThread() {
  // A nested initialisation answers S_FALSE (or a mode change error) when COM
  // is already initialised; S_OK means it was not, so undo it again.
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (hr == RPC_E_CHANGED_MODE) return true;
  if (SUCCEEDED(hr)) CoUninitialize();
  return hr == S_FALSE;
}

std::string Utf8ToAnsi(const std::string& text) { return Utf8ToCodePage(text, CP_ACP); }
std::string AnsiToUtf8(const std::string& text) { return CodePageToUtf8(text, CP_ACP); }
std::string Utf8ToOem(const std::string& text) { return Utf8ToCodePage(text, CP_OEMCP); }
std::string OemToUtf8(const std::string& text) { return CodePageToUtf8(text, CP_OEMCP); }

}  // namespace plat
