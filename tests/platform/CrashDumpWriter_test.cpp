#include "platform/CrashDumpWriter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "platform/Folders.h"
#include "platform/ProcessSpawn.h"
#include "support/TempDir.h"

namespace {

struct tm Local(int year, int month, int day, int hour, int minute, int second) {
  struct tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(CrashDumpWriter, NamesDumpsByProgramAndLocalTime) {
  EXPECT_EQ(platform::CrashDumpFileName("/opt/gate/Dump", "X.exe", Local(2024, 1, 31, 23, 59, 59)),
            "/opt/gate/Dump/X.exe-20240131-235959.dmp");
  EXPECT_EQ(platform::CrashDumpFileName("Dump", "TorvaneGateManager", Local(2025, 12, 1, 0, 0, 7)),
            "Dump/TorvaneGateManager-20251201-000007.dmp");
}

// The crash handler cannot call localtime_r; its own table must agree with it,
// also across daylight-saving changes and half-hour offsets.
TEST(CrashDumpWriter, OffsetTableAgreesWithTheCLibrary) {
  const char* zones[] = {"UTC0", "KST-9", "CET-1CEST,M3.5.0,M10.5.0/3", "EST5EDT,M3.2.0,M11.1.0",
                         "<+1030>-10:30<+11>-11,M10.1.0,M4.1.0"};
  const char* oldZone = getenv("TZ");
  std::string saved = oldZone ? oldZone : "";
  time_t start = 1700000000;  // November 2023
  for (const char* zone : zones) {
    setenv("TZ", zone, 1);
    tzset();
    platform::UtcOffsetTable table;
    table.Build(start, 3);
    // Every 97 minutes over three years, and every second around each change.
    std::vector<time_t> moments;
    for (time_t t = start - 86400; t < start + 3 * 365 * 86400; t += 97 * 60) moments.push_back(t);
    for (time_t t = start; t < start + 3 * 365 * 86400; t += 3600) {
      struct tm a, b;
      time_t next = t + 3600;
      localtime_r(&t, &a);
      localtime_r(&next, &b);
      if (a.tm_gmtoff != b.tm_gmtoff) {
        for (time_t s = t; s <= next; ++s) moments.push_back(s);
      }
    }
    for (time_t t : moments) {
      struct tm expected, actual;
      localtime_r(&t, &expected);
      table.ToLocal(t, &actual);
      ASSERT_EQ(platform::CrashDumpFileName("D", "P", actual), platform::CrashDumpFileName("D", "P", expected))
          << zone << " at " << t;
    }
  }
  if (oldZone) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(CrashDumpWriter, PruningKeepsTheNewestByName) {
  TempDir dir;
  // Created newest first, so the order of creation is not the order of names.
  std::vector<std::string> dumps = {"P-20240107-000000.dmp", "P-20240106-000000.dmp", "P-20240105-000000.dmp",
                                    "P-20240104-000000.dmp", "P-20240103-000000.dmp", "P-20240102-000000.dmp",
                                    "P-20240101-000000.dmp"};
  for (const auto& name : dumps) ASSERT_TRUE(WriteTestFile(dir.Join(name), "dump"));
  ASSERT_TRUE(WriteTestFile(dir.Join("notes.txt"), "kept"));
  ASSERT_TRUE(WriteTestFile(dir.Join(".hidden.dmp"), "counts like any other dump"));
  ASSERT_EQ(mkdir(dir.Join("A-folder.dmp").c_str(), 0755), 0);

  EXPECT_EQ(platform::PruneCrashDumps(dir.path(), 5), 3u);
  std::vector<std::string> names;
  for (const auto& e : platform::ListFolder(dir.path())) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A-folder.dmp", "P-20240103-000000.dmp", "P-20240104-000000.dmp",
                                             "P-20240105-000000.dmp", "P-20240106-000000.dmp",
                                             "P-20240107-000000.dmp", "notes.txt"}));
  EXPECT_EQ(platform::PruneCrashDumps(dir.path(), 5), 0u);
  EXPECT_EQ(platform::PruneCrashDumps(dir.Join("missing"), 5), 0u);
}

// ---- Crashes, each in a child process of the test ----

__attribute__((noinline, no_sanitize("address", "undefined"))) void DereferenceNull() {
  volatile int* volatile nowhere = nullptr;
  *nowhere = 1;
}

volatile int g_depthLimit = 1 << 30;  // never reached: the stack runs out first

__attribute__((noinline, no_sanitize("address", "undefined"))) int Recurse(int depth) {
  if (depth >= g_depthLimit) return 0;
  volatile char frame[1024];
  frame[0] = static_cast<char>(depth);
  return Recurse(depth + 1) + frame[0];
}

void CrashOnThread(bool ownStack) {
  std::thread worker([ownStack] {
    if (ownStack) {
      platform::InstallCrashStackOnThisThread();
      Recurse(0);
    }
    DereferenceNull();
  });
  worker.join();
}

void CrashOnTwoThreadsAtOnce() {
  std::thread a(DereferenceNull), b(DereferenceNull);
  a.join();
  b.join();
}

struct CrashCase {
  const char* name;
  void (*crash)();
  int signal;
  const char* faultLine;  // expected in the dump
};

const CrashCase kCrashes[] = {
    {"null", DereferenceNull, SIGSEGV, "Fault address: 0x0000000000000000"},
    {"abort", abort, SIGABRT, "Sent by process: "},
    {"stack-overflow", [] { Recurse(0); }, SIGSEGV, "Fault address: 0x"},
    {"thread", [] { CrashOnThread(false); }, SIGSEGV, "Fault address: 0x0000000000000000"},
    {"thread-stack-overflow", [] { CrashOnThread(true); }, SIGSEGV, "Fault address: 0x"},
    {"two-threads", CrashOnTwoThreadsAtOnce, SIGSEGV, "Fault address: 0x0000000000000000"},
};

TEST(CrashDumpWriter, CrashWritesADumpAndEndsByTheSignal) {
  for (const CrashCase& c : kCrashes) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::string dumpFolder = dir.Join("Dump");  // created by the handler
    time_t before = time(nullptr);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      platform::InstallCrashDumpWriter(dir.path(), "Crashing.bin");
      platform::SetCrashDumpFolder(dumpFolder);
      c.crash();
      _exit(0);  // must not be reached: a crash never ends as a clean exit
    }
    int status = 0;
    ASSERT_TRUE(platform::WaitForProcess(child, 120000, &status));
    time_t after = time(nullptr);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
    EXPECT_EQ(WTERMSIG(status), c.signal);

    std::vector<platform::FolderEntry> files = platform::ListFolder(dumpFolder);
    ASSERT_EQ(files.size(), 1u);
    bool nameMatches = false;
    for (time_t t = before; t <= after; ++t) {
      struct tm local;
      localtime_r(&t, &local);
      nameMatches |= platform::CrashDumpFileName(dumpFolder, "Crashing.bin", local) ==
                     dumpFolder + "/" + files[0].name;
    }
    EXPECT_TRUE(nameMatches) << files[0].name;

    std::string dump = ReadTestFile(dumpFolder + "/" + files[0].name);
    EXPECT_EQ(dump.rfind("Crash dump of Crashing.bin, process " + std::to_string(child) + "\n", 0), 0u) << dump;
    std::string signalLine = "Signal: " + std::to_string(c.signal) + " (" + (c.signal == SIGSEGV ? "SIGSEGV" : "SIGABRT");
    EXPECT_NE(dump.find(signalLine), std::string::npos) << dump.substr(0, 400);
    EXPECT_NE(dump.find(c.faultLine), std::string::npos) << dump.substr(0, 400);
    EXPECT_NE(dump.find("\nThread: "), std::string::npos);
    size_t backtrace = dump.find("\nBacktrace:\n");
    size_t maps = dump.find("\nMemory map:\n");
    ASSERT_NE(backtrace, std::string::npos);
    ASSERT_NE(maps, std::string::npos);
    EXPECT_GT(maps - backtrace, 40u) << "the backtrace has frames";
    EXPECT_NE(dump.find("[stack]", maps), std::string::npos) << "the memory map is copied whole";
  }
}

TEST(CrashDumpWriter, UnwritableDumpFolderStillEndsByTheSignal) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("Dump"), "a file where the folder should be"));
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    platform::InstallCrashDumpWriter(dir.Join("Dump"), "Crashing.bin");
    DereferenceNull();
    _exit(0);
  }
  int status = 0;
  ASSERT_TRUE(platform::WaitForProcess(child, 120000, &status));
  ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << status;
  EXPECT_EQ(WTERMSIG(status), SIGSEGV);
}

TEST(CrashDumpWriter, OnlyTheFirstInstallationCounts) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool first = platform::InstallCrashDumpWriter("/tmp", "A");
    bool second = platform::InstallCrashDumpWriter("/tmp", "B");
    _exit(first && !second ? 0 : 1);
  }
  int status = 0;
  ASSERT_TRUE(platform::WaitForProcess(child, 60000, &status));
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
