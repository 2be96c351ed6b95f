#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/Com.h"
#include "platform/FakeClock.h"
#include "platform/File.h"
#include "platform/Files.h"
#include "platform/Library.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Sync.h"
#include "platform/Text.h"
#include "platform/Thread.h"

namespace {

std::string TempFolder(const std::string& tag) {
  std::string f = plat::FromPath(std::filesystem::temp_directory_path()) + plat::PathDelim + "karvo-plat-" +
                  std::to_string(plat::CurrentProcessId()) + "-" + tag + plat::PathDelim;
  plat::RemoveTree(f);
  return f;
}

TEST(Text, RoundTripsAndRepairsMalformedInput) {
  const std::string polish = "Za\xC5\xBC\xC3\xB3\xC5\x82\xC4\x87 \xF0\x9F\x98\x80";  // "Zażółć 😀"
  std::u16string u16 = plat::Utf8ToUtf16(polish);
  EXPECT_EQ(u16.size(), 9u);  // the emoji takes a surrogate pair
  EXPECT_EQ(plat::Utf16ToUtf8(u16), polish);
  EXPECT_EQ(plat::WideToUtf8(plat::Utf8ToWide(polish)), polish);
  EXPECT_EQ(plat::Utf8ToUtf16("a\xC3"), (std::u16string{u'a', 0xFFFD})) << "truncated sequence";
  EXPECT_EQ(plat::Utf8ToUtf16("\xC0\xAF"), std::u16string(1, 0xFFFD)) << "overlong form";
  EXPECT_EQ(plat::Utf16ToUtf8(std::u16string{0xD800}), "\xEF\xBF\xBD") << "lone surrogate";
  EXPECT_TRUE(plat::SameTextAscii("Install", "iNSTALL"));
  EXPECT_FALSE(plat::SameTextAscii("Install", "Instal"));
}

TEST(Paths, SplitsAtEitherSeparatorAndFindsTheProgram) {
  EXPECT_EQ(plat::ExtractFilePath("C:\\KARVO\\sdll\\KARVOBackup.dll"), "C:\\KARVO\\sdll\\");
  EXPECT_EQ(plat::ExtractFileName("C:\\KARVO\\sdll\\KARVOBackup.dll"), "KARVOBackup.dll");
  EXPECT_EQ(plat::ExtractFileName("/opt/karvo/KARVOService"), "KARVOService");
  EXPECT_EQ(plat::ChangeFileExt("C:\\a.b\\KARVOService.exe", ""), "C:\\a.b\\KARVOService");
  EXPECT_EQ(plat::ChangeFileExt("C:\\a.b\\KARVOService", ""), "C:\\a.b\\KARVOService");
  std::string folder = plat::ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder.back(), plat::PathDelim[0]);
  EXPECT_TRUE(plat::FileExists(plat::ProgramFile()));
  EXPECT_EQ(plat::ModuleFile(reinterpret_cast<const void*>(&TempFolder)), plat::ProgramFile());
}

TEST(Files, FoldersListsAndMoves) {
  const std::string root = TempFolder("files");
  const std::string deep = root + "a" + plat::PathDelim + "b" + plat::PathDelim + "c" + plat::PathDelim;
  ASSERT_TRUE(plat::ForceDirectories(deep));
  ASSERT_TRUE(plat::WriteWholeFile(root + "One.DLL", "1"));
  ASSERT_TRUE(plat::WriteWholeFile(root + "two.dll", "22"));
  ASSERT_TRUE(plat::WriteWholeFile(root + "three.txt", "3"));
  ASSERT_TRUE(plat::ForceDirectories(root + "x.dll"));
  ASSERT_TRUE(plat::WriteWholeFile(deep + "z", "z"));

  std::vector<std::string> names;
  bool sawFolder = false;
  for (const auto& e : plat::ListFolder(root, "*.dll")) {
    if (e.IsDirectory) sawFolder = e.Name == "x.dll";
    else names.push_back(e.Name);
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"One.DLL", "two.dll"})) << "masks match without case";
  EXPECT_TRUE(sawFolder) << "folders are listed with their attribute";
  EXPECT_TRUE(plat::ListFolder(root + "missing", "*").empty());

  EXPECT_TRUE(plat::RenameFile(root + "three.txt", deep + "three.txt"));
  EXPECT_FALSE(plat::RenameFile(root + "two.dll", deep + "three.txt")) << "an existing target is never replaced";
  EXPECT_TRUE(plat::FileExists(root + "two.dll"));
  EXPECT_TRUE(plat::RemoveFile(root + "two.dll"));
  EXPECT_FALSE(plat::RemoveFile(root + "two.dll"));
  EXPECT_FALSE(plat::FileExists(root + "x.dll"));
  EXPECT_TRUE(plat::DirectoryExists(root + "x.dll"));
  EXPECT_TRUE(plat::RemoveTree(root));
  EXPECT_FALSE(plat::DirectoryExists(root));
}

TEST(Files, MaskRules) {
  struct Case {
    const char* name;
    const char* mask;
    bool match;
  } cases[] = {{"KARVOBackup.dll", "*.dll", true}, {"a.DLL", "*.dll", true},  {"a.dll.bak", "*.dll", false},
               {"2024-03-05.log", "*.log", true},  {"log", "*.log", false},  {"ab", "a?", true},
               {"a", "a?", false},                 {"anything", "*", true}, {"", "*", true}};
  for (const Case& c : cases) EXPECT_EQ(plat::MatchesMask(c.name, c.mask), c.match) << c.name << " ~ " << c.mask;
}

TEST(File, CreateTruncateEmptiesAndAppendAppends) {
  const std::string root = TempFolder("file");
  plat::ForceDirectories(root);
  const std::string path = root + "f.bin";
  ASSERT_TRUE(plat::WriteWholeFile(path, "0123456789"));
  {
    plat::TFile f = plat::TFile::CreateTruncate(path);
    ASSERT_TRUE(f.Valid());
    std::string content;
    ASSERT_TRUE(plat::ReadWholeFile(path, content));
    EXPECT_EQ(content, "") << "emptied at once";
    EXPECT_TRUE(f.Write("ab", 2));
  }
  {
    plat::TFile a = plat::TFile::OpenAppend(path);
    plat::TFile b = plat::TFile::OpenAppend(path);  // shared for writing
    ASSERT_TRUE(a && b);
    EXPECT_TRUE(a.Write("c", 1));
    EXPECT_TRUE(b.Write("d", 1));
    EXPECT_TRUE(a.Write("e", 1));
  }
  std::string content;
  ASSERT_TRUE(plat::ReadWholeFile(path, content));
  EXPECT_EQ(content, "abcde");
  EXPECT_FALSE(plat::TFile::OpenRead(root + "missing").Valid());
  plat::RemoveTree(root);
}

TEST(Sync, NamedEventsAreManualResetAndShared) {
  const std::string name = "karvo-test-event-" + std::to_string(plat::CurrentProcessId());
  plat::TEvent ev = plat::TEvent::Create(name);
  ASSERT_TRUE(ev.Valid());
  EXPECT_FALSE(ev.AlreadyExisted());
  EXPECT_EQ(ev.WaitNative(0), plat::TWaitResult::TimedOut);
  plat::TEvent same = plat::TEvent::Create(name);
  EXPECT_TRUE(same.AlreadyExisted());
  plat::TEvent opened = plat::TEvent::Open(name);
  ASSERT_TRUE(opened.Valid());
  plat::TEvent dup = ev.Duplicate();
  ev.Close();  // the duplicate keeps it alive
  EXPECT_TRUE(opened.Set());
  EXPECT_EQ(dup.WaitNative(0), plat::TWaitResult::Signalled);
  EXPECT_EQ(dup.WaitNative(0), plat::TWaitResult::Signalled) << "stays set";
  plat::TEvent borrowed = plat::TEvent::Borrow(dup.Native());
  EXPECT_TRUE(borrowed.IsSet());
  borrowed.Close();  // a borrowed handle is not closed
  EXPECT_TRUE(dup.IsSet());
  EXPECT_FALSE(plat::TEvent::Open("karvo-no-such-event").Valid());
  EXPECT_EQ(plat::TEvent().WaitNative(0), plat::TWaitResult::Failed);
}

TEST(Sync, AWaitEndsWhenAnotherThreadSets) {
  plat::TEvent ev = plat::TEvent::Create("");
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ev.Set();
  });
  EXPECT_EQ(ev.WaitFor(10000), plat::TWaitResult::Signalled);
  setter.join();
}

TEST(Sync, SemaphoreCountsReleases) {
  const std::string name = "Global\\karvo-test-sem-" + std::to_string(plat::CurrentProcessId());
  plat::TSemaphore sem = plat::TSemaphore::Create(name, 0, 1);
  ASSERT_TRUE(sem.Valid());
  EXPECT_EQ(sem.WaitNative(10), plat::TWaitResult::TimedOut);
  plat::TSemaphore other = plat::TSemaphore::Open(name);
  ASSERT_TRUE(other.Valid());
  EXPECT_TRUE(other.Release());
  EXPECT_EQ(sem.WaitNative(1000), plat::TWaitResult::Signalled);
  EXPECT_EQ(sem.WaitNative(0), plat::TWaitResult::TimedOut);
  other.Close();
  sem.Close();
  EXPECT_FALSE(plat::TSemaphore::Open(name).Valid()) << "gone with its last handle";
}

TEST(FakeClock, WaitsAdvanceTimeAndRunScheduledActions) {
  plat::TLocalTime start;
  start.Year = 2024;
  start.Month = 2;
  start.Day = 28;
  start.Hour = 23;
  start.Minute = 59;
  plat::TFakeClock clock(start);
  plat::TClockOverride use(clock);
  plat::TEvent ev = plat::TEvent::Create("");
  EXPECT_EQ(ev.WaitFor(1000), plat::TWaitResult::TimedOut);
  EXPECT_EQ(clock.Now(), 1000u);
  clock.At(5000, [&] { ev.Set(); });
  EXPECT_EQ(ev.WaitFor(60000), plat::TWaitResult::Signalled);
  EXPECT_EQ(clock.Now(), 5000u) << "the wait ends when the event is set, not at its time-out";
  plat::Clock().Sleep(60000);
  plat::TLocalTime now = plat::Clock().LocalTime();
  EXPECT_EQ(now.Month, 2);
  EXPECT_EQ(now.Day, 29) << "2024 is a leap year";
  EXPECT_EQ(now.Minute, 0);
  EXPECT_EQ(now.Second, 5);
  clock.ShiftWallClock(-3600 * 1000);
  EXPECT_EQ(clock.MonotonicMs(), 65000u) << "wall clock changes leave monotonic time alone";
  EXPECT_EQ(plat::Clock().LocalTime().Day, 28);
}

class TCounter : public plat::TThread {
 public:
  explicit TCounter(bool fail) : Fail_(fail) {}
  ~TCounter() override { WaitFor(); }

 protected:
  void Execute() override {
    SetReturnValue(7);
    while (!Terminated()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (Fail_) throw std::runtime_error("boom");
    SetReturnValue(1);
  }

 private:
  bool Fail_;
};

TEST(Thread, ReturnValueTerminateAndEscapingErrors) {
  TCounter ok(false);
  ASSERT_TRUE(ok.Start());
  ok.Terminate();
  EXPECT_EQ(ok.WaitFor(), 1);
  TCounter failing(true);
  ASSERT_TRUE(failing.Start());
  failing.Terminate();
  EXPECT_EQ(failing.WaitFor(), 7) << "the value it had when the error happened";
  EXPECT_EQ(failing.FatalError(), "boom");
  TCounter never(false);
  EXPECT_EQ(never.WaitFor(), 0);

  std::atomic<uint32_t> id{0};
  plat::TEvent done = plat::TEvent::Create("");
  ASSERT_TRUE(plat::StartThread([&] {
    id = plat::CurrentThreadId();
    done.Set();
    throw std::runtime_error("swallowed");
  }));
  ASSERT_EQ(done.WaitNative(10000), plat::TWaitResult::Signalled);
  EXPECT_NE(id.load(), 0u);
  EXPECT_NE(id.load(), plat::CurrentThreadId());
}

TEST(Library, MissingOrForeignFilesDoNotLoad) {
  const std::string root = TempFolder("lib");
  plat::ForceDirectories(root);
  plat::WriteWholeFile(root + "fake.dll", "not a library at all");
  plat::TLibrary fake = plat::TLibrary::Load(root + "fake.dll");
  EXPECT_FALSE(fake.Valid());
  EXPECT_FALSE(fake.Error().empty());
  EXPECT_FALSE(plat::TLibrary::Load(root + "missing.dll").Valid());
  EXPECT_EQ(fake.Symbol("_Execute"), nullptr);
  plat::RemoveTree(root);
}

TEST(Process, RunAndWaitGivesTheExitCode) {
  // The trace test helper exits with 2 when its arguments are wrong.
  std::string writer = plat::ProgramFolder() + ".." + plat::PathDelim + "trace" + plat::PathDelim + "trace_writer";
  if (!plat::FileExists(writer)) writer += ".exe";
  if (!plat::FileExists(writer)) GTEST_SKIP() << "trace_writer not built";
  EXPECT_EQ(plat::RunAndWait(writer, {}), 2);
  EXPECT_EQ(plat::RunAndWait(writer, {"a b", "c", "0"}), 0) << "an argument with a blank stays one argument";
  EXPECT_EQ(plat::RunAndWait(writer + ".missing", {}), -1);
  EXPECT_FALSE(plat::StartProgram(writer + ".missing", {}, ""));
}

TEST(Com, InitialisedForTheScopeOnly) {
  std::thread t([] {
    EXPECT_FALSE(plat::ComInitialisedOnThisThread());
    {
      plat::TComInit com;
      EXPECT_TRUE(com.Initialised());
#ifdef _WIN32
      EXPECT_TRUE(plat::ComInitialisedOnThisThread());
#endif
    }
    EXPECT_FALSE(plat::ComInitialisedOnThisThread());
  });
  t.join();
}

}  // namespace
