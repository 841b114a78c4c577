#include "platform/ProcessSpawn.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/TempDir.h"

namespace {

// Writes an executable shell script (run through its #! line, not through a shell of ours).
std::string WriteScript(const TempDir& dir, const std::string& name, const std::string& body) {
  std::string path = dir.Join(name);
  WriteTestFile(path, "#!/bin/sh\n" + body);
  chmod(path.c_str(), 0755);
  return path;
}

int RunToEnd(const std::string& path, const std::vector<std::string>& argv,
             const platform::SpawnOptions& options = {}) {
  pid_t pid = platform::SpawnProcess(path, argv, options);
  if (pid <= 0) return -1;
  int status = 0;
  if (!platform::WaitForProcess(pid, 60000, &status)) return -2;
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(ProcessSpawn, PassesEveryArgumentUnchanged) {
  TempDir dir;
  std::string out = dir.Join("args.txt");
  // A program path with a space, arguments that a shell would split or expand.
  std::string script = WriteScript(dir, "Watch dog", "for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done > '" +
                                                        out + "'\n");
  std::vector<std::string> argv = {script, "Gate Manager", "-v", "1", "$HOME", "a;b", "'q'", "\"", ""};
  ASSERT_EQ(RunToEnd(script, argv), 0);
  EXPECT_EQ(ReadTestFile(out), "[Gate Manager]\n[-v]\n[1]\n[$HOME]\n[a;b]\n['q']\n[\"]\n[]\n");
}

TEST(ProcessSpawn, ChildStartsClean) {
  TempDir dir;
  std::string out = dir.Join("state.txt");
  // Descriptors beyond 0-2, an ignored SIGPIPE and a blocked signal must not reach the child.
  std::string script = WriteScript(dir, "state",
                                   "ls /proc/$$/fd > '" + out + "'\n"
                                   "grep -E '^(SigIgn|SigBlk)' /proc/$$/status >> '" + out + "'\n"
                                   "echo sid=$(cut -d' ' -f6 /proc/$$/stat) >> '" + out + "'\n");
  int leaked = open("/dev/null", O_RDONLY);  // no O_CLOEXEC
  ASSERT_GE(leaked, 3);
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGPIPE, &ignore, &old);
  sigset_t block, oldMask;
  sigemptyset(&block);
  sigaddset(&block, SIGUSR1);
  pthread_sigmask(SIG_BLOCK, &block, &oldMask);

  int rc = RunToEnd(script, {script}, platform::SpawnOptions{true});

  pthread_sigmask(SIG_SETMASK, &oldMask, nullptr);
  sigaction(SIGPIPE, &old, nullptr);
  close(leaked);
  ASSERT_EQ(rc, 0);
  std::string state = ReadTestFile(out);
  EXPECT_EQ(state.find("\n" + std::to_string(leaked) + "\n"), std::string::npos) << state;
  size_t ignored = state.find("SigIgn:\t");
  ASSERT_NE(ignored, std::string::npos) << state;
  unsigned long long ignoredMask = std::stoull(state.substr(ignored + 8, 16), nullptr, 16);
  EXPECT_EQ(ignoredMask & (1ull << (SIGPIPE - 1)), 0u) << state;
  EXPECT_NE(state.find("SigBlk:\t0000000000000000"), std::string::npos) << state;
  // In a session of its own: its session id is not ours.
  EXPECT_NE(state.find("sid="), std::string::npos) << state;
  EXPECT_EQ(state.find("sid=" + std::to_string(getsid(0)) + "\n"), std::string::npos) << state;
}

TEST(ProcessSpawn, MissingProgramFails) {
  TempDir dir;
  std::string error;
  EXPECT_EQ(platform::SpawnProcess(dir.Join("Watchdog"), {"Watchdog"}, {}, &error), -1);
  EXPECT_NE(error.find("Watchdog"), std::string::npos) << error;
  ASSERT_TRUE(WriteTestFile(dir.Join("plain"), "not executable"));
  EXPECT_EQ(platform::SpawnProcess(dir.Join("plain"), {"plain"}), -1);
}

TEST(ProcessSpawn, WaitHonoursItsTimeOut) {
  pid_t pid = platform::SpawnProcess("/bin/sleep", {"sleep", "60"});
  ASSERT_GT(pid, 0);
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(platform::WaitForProcess(pid, 50));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  kill(pid, SIGTERM);
  int status = 0;
  ASSERT_TRUE(platform::WaitForProcess(pid, 60000, &status));
  EXPECT_TRUE(WIFSIGNALED(status));
  EXPECT_FALSE(platform::WaitForProcess(pid, 10)) << "already reaped: not our child any more";
}

TEST(ProcessSpawn, ReaperCollectsChildrenThatEnd) {
  platform::ChildReaper reaper;
  pid_t quick = platform::SpawnProcess("/bin/true", {"true"});
  pid_t slow = platform::SpawnProcess("/bin/sleep", {"sleep", "60"});
  ASSERT_GT(quick, 0);
  ASSERT_GT(slow, 0);
  reaper.Watch(quick);
  reaper.Watch(slow);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (reaper.Pending() > 1 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(reaper.Pending(), 1u);
  EXPECT_EQ(waitpid(quick, nullptr, WNOHANG), -1) << "the ended child was reaped, no zombie left";
  // Stopping leaves a running child alone.
  reaper.Stop();
  EXPECT_EQ(kill(slow, 0), 0);
  kill(slow, SIGKILL);
  EXPECT_TRUE(platform::WaitForProcess(slow, 60000));
}

}  // namespace
