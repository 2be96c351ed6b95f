#include "trace/XYTrace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <thread>
#include <vector>

#include "platform/FakeClock.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "tests/support/Fixtures.h"

namespace {

using plat::TFakeClock;
using plat::TLocalTime;

TLocalTime At(uint16_t y, uint16_t mo, uint16_t d, uint16_t h = 12, uint16_t mi = 0, uint16_t s = 0) {
  TLocalTime t;
  t.Year = y;
  t.Month = mo;
  t.Day = d;
  t.Hour = h;
  t.Minute = mi;
  t.Second = s;
  return t;
}

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Root = plat::FromPath(std::filesystem::temp_directory_path()) + plat::PathDelim + "karvo-trace-" +
           std::to_string(plat::CurrentProcessId()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name() + plat::PathDelim;
    plat::RemoveTree(Root);
    Folder = Root + "Logs" + plat::PathDelim + "Service" + plat::PathDelim;
  }
  void TearDown() override { plat::RemoveTree(Root); }

  // The file's bytes decoded from UTF-16LE.
  std::string Read(const std::string& name) {
    return plat::FileExists(Folder + name) ? fixtures::ReadTraceFile(Folder + name) : "<missing>";
  }

  void Touch(const std::string& name) {
    plat::ForceDirectories(Folder);
    plat::WriteWholeFile(Folder + name, "x");
  }

  std::string Root, Folder;
};

TEST_F(TraceTest, LineFormatIsUtf16LeWithoutByteOrderMark) {
  TFakeClock clock(At(2024, 3, 5, 7, 8, 9));
  plat::TClockOverride use(clock);
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  trace.Write(20, "Starting Service (Ver: 1.0.0.1) \xC5\xBC\xC3\xB3\xC5\x82w");  // "żółw"
  trace.Write(10, "");
  trace.Write(10, "two\r\nlines");

  std::string bytes;
  ASSERT_TRUE(plat::ReadWholeFile(Folder + "2024-03-05.log", bytes));
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("0\0""7\0", 4)) << "no byte-order mark, time first";
  EXPECT_EQ(Read("2024-03-05.log"),
            "07:08:09 Starting Service (Ver: 1.0.0.1) \xC5\xBC\xC3\xB3\xC5\x82w\r\n"
            "07:08:09 \r\n"
            "07:08:09 two\r\nlines\r\n");
}

TEST_F(TraceTest, LevelTable) {
  struct Case {
    int32_t threshold;
    int32_t line;
    bool written;
  } cases[] = {
      {0, 10, false}, {-5, 10, false}, {-5, 0, false}, {20, 10, true},
      {20, 20, true}, {10, 10, true},  {10, 20, false},
  };
  TFakeClock clock(At(2024, 3, 5));
  plat::TClockOverride use(clock);
  for (const Case& c : cases) {
    plat::RemoveTree(Root);
    XYTraceHelper trace;
    trace.SetFolder(Folder);
    trace.SetLevel(c.threshold);
    trace.Write(c.line, "x");
    EXPECT_EQ(plat::FileExists(Folder + "2024-03-05.log"), c.written)
        << "threshold " << c.threshold << ", line level " << c.line;
    if (!c.written) EXPECT_FALSE(plat::DirectoryExists(Folder)) << "nothing written means no folder either";
  }
}

TEST_F(TraceTest, NothingBeforeTheLevelIsSetAndNothingWithoutAFolder) {
  TFakeClock clock(At(2024, 3, 5));
  plat::TClockOverride use(clock);
  Touch("2000-01-01.log");
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.Write(10, "dropped");
  EXPECT_TRUE(plat::FileExists(Folder + "2000-01-01.log")) << "no retention run without a written line";
  EXPECT_FALSE(plat::FileExists(Folder + "2024-03-05.log"));
}

TEST_F(TraceTest, AppendsToTheExistingFileOfTheDay) {
  TFakeClock clock(At(2024, 3, 5, 10, 0, 0));
  plat::TClockOverride use(clock);
  plat::ForceDirectories(Folder);
  std::string old("o\0l\0d\0\r\0\n\0", 10);
  plat::WriteWholeFile(Folder + "2024-03-05.log", old);
  {
    XYTraceHelper first;
    first.SetFolder(Folder);
    first.SetLevel(20);
    first.Write(20, "a");
  }
  XYTraceHelper again;  // a program started again on the same day
  again.SetFolder(Folder);
  again.SetLevel(20);
  again.Write(20, "b");
  EXPECT_EQ(Read("2024-03-05.log"), "old\r\n10:00:00 a\r\n10:00:00 b\r\n");
}

TEST_F(TraceTest, MidnightStartsTheNextDaysFile) {
  TFakeClock clock(At(2024, 3, 5, 23, 59, 59));
  plat::TClockOverride use(clock);
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  trace.Write(20, "before");
  clock.Advance(2000);
  trace.Write(20, "after");
  EXPECT_EQ(Read("2024-03-05.log"), "23:59:59 before\r\n");
  EXPECT_EQ(Read("2024-03-06.log"), "00:00:01 after\r\n");
}

TEST_F(TraceTest, RetentionKeepsThirtyDaysAndOnlyTouchesDatedFiles) {
  const std::map<std::string, bool> files = {
      {"2024-03-01.log", true},   // 30 days before 2024-03-31
      {"2024-02-29.log", false},  // 31 days
      {"2023-12-31.log", false},
      {"2024-03-30.log", true},
      {"a.log", true},
      {"notes.log", true},
      {"2024-13-01.log", true},  // no such date
      {"2024-02-30.log", true},
      {"2020x01y01.log", false},  // separators are not examined
      {"2020-01-01-old.log", false},
      {"2020-01-01.txt", true},  // not a .log
  };
  for (const auto& [name, stays] : files) Touch(name);
  plat::ForceDirectories(Folder + "2020-01-01.log");  // a folder, never deleted

  TFakeClock clock(At(2024, 3, 31, 0, 0, 1));
  plat::TClockOverride use(clock);
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  trace.Write(20, "first line of the day");

  for (const auto& [name, stays] : files) EXPECT_EQ(plat::FileExists(Folder + name), stays) << name;
  EXPECT_TRUE(plat::DirectoryExists(Folder + "2020-01-01.log"));
  EXPECT_TRUE(plat::FileExists(Folder + "2024-03-31.log"));
}

TEST_F(TraceTest, ChangingTheFolderMovesTheNextLine) {
  TFakeClock clock(At(2024, 3, 5, 1, 2, 3));
  plat::TClockOverride use(clock);
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  trace.Write(20, "one");
  std::string other = Root + "Other" + plat::PathDelim;
  trace.SetFolder(other);
  trace.Write(20, "two");
  EXPECT_EQ(Read("2024-03-05.log"), "01:02:03 one\r\n");
  EXPECT_TRUE(plat::FileExists(other + "2024-03-05.log"));
}

// Every line of every writer must arrive whole and exactly once.
void ExpectAllLines(const std::string& text, const std::vector<std::string>& tags, int perTag) {
  std::map<std::string, std::set<int>> seen;
  size_t pos = 0, lines = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos) << "torn last line";
    std::string line = text.substr(pos, end - pos);
    pos = end + 2;
    ++lines;
    ASSERT_GT(line.size(), 9u) << line;
    std::string body = line.substr(9);
    size_t sp = body.find(" line ");
    ASSERT_NE(sp, std::string::npos) << "torn line: " << line;
    EXPECT_TRUE(seen[body.substr(0, sp)].insert(std::stoi(body.substr(sp + 6))).second) << "duplicate: " << line;
  }
  EXPECT_EQ(lines, tags.size() * perTag);
  for (const auto& t : tags) EXPECT_EQ(seen[t].size(), static_cast<size_t>(perTag)) << t;
}

TEST_F(TraceTest, EightThreadsLoseAndTearNothing) {
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  constexpr int kPerThread = 500;
  std::vector<std::string> tags;
  std::vector<std::thread> threads;
  for (int t = 0; t < 8; ++t) {
    tags.push_back("t" + std::to_string(t));
    threads.emplace_back([&trace, tag = tags.back()] {
      for (int i = 0; i < kPerThread; ++i) trace.Write(20, tag + " line " + std::to_string(i));
    });
  }
  for (auto& th : threads) th.join();
  auto logs = plat::ListFolder(Folder, "*.log");
  ASSERT_EQ(logs.size(), 1u);
  ExpectAllLines(Read(logs[0].Name), tags, kPerThread);
}

TEST_F(TraceTest, ASecondProcessOnTheSameDayLosesNothing) {
  std::string writer = plat::ProgramFolder();
#if defined(TRACE_WRITER_NAME)
  writer += TRACE_WRITER_NAME;
#endif
  ASSERT_TRUE(plat::FileExists(writer)) << writer;
  plat::ForceDirectories(Folder);
  constexpr int kLines = 300;
  std::thread other([&] { EXPECT_EQ(plat::RunAndWait(writer, {Folder, "other", std::to_string(kLines)}), 0); });
  XYTraceHelper trace;
  trace.SetFolder(Folder);
  trace.SetLevel(20);
  for (int i = 0; i < kLines; ++i) trace.Write(20, "self line " + std::to_string(i));
  other.join();
  auto logs = plat::ListFolder(Folder, "*.log");
  // Both processes must have used the same day's file (unless the day changed meanwhile).
  std::string all;
  for (const auto& l : logs) all += Read(l.Name);
  ExpectAllLines(all, {"self", "other"}, kLines);
}

TEST_F(TraceTest, ModuleFunctionsWriteThroughTheModuleState) {
  TFakeClock clock(At(2024, 3, 5, 6, 7, 8));
  plat::TClockOverride use(clock);
  SetTraceFolder(Folder);
  SetTraceLevel(20);
  WriteTrace(10, "module line");
  SetTraceLevel(0);
  WriteTrace(10, "dropped");
  SetTraceFolder(std::string());
  EXPECT_EQ(Read("2024-03-05.log"), "06:07:08 module line\r\n");
}

}  // namespace
