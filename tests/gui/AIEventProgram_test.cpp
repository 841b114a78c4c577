// The built program with an AI event job in its settings, started with the
// start flag: the main window's Start runs the AI event publisher, whose
// first main pass finds no database and records code 2 in the job's status
// file; the termination signal stops it and the program ends cleanly.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "support/ProgramUnderTest.h"
#include "support/TempDir.h"

namespace {

// A loopback port on which nothing listens (bound, then closed).
int ClosedPort() {
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

std::string Setting(int category, const std::string& name, const std::string& value) {
  return "<Setting><Category>" + std::to_string(category) + "</Category><Name>" + name + "</Name><Value>" + value +
         "</Value></Setting>";
}

TEST(AIEventProgram, StartRunsThePublisherAndTheSignalStopsIt) {
  TempDir dir;
  ProgramUnderTest program(GATE_PROGRAM, dir.path(), "TorvaneGateManager");
  ASSERT_TRUE(program.ok());
  mkdir(dir.Join("Settings").c_str(), 0755);
  ASSERT_TRUE(WriteTestFile(
      dir.Join("Settings/AppSettings.xml"),
      "<Settings>" + Setting(0, "DatabaseAddress", "127.0.0.1") +
          Setting(0, "DatabasePort", std::to_string(ClosedPort())) +
          Setting(1, "AIEventPubItems",
                  "[{\"ID\":\"3\", \"TargetUrl\":\"http://10.1.2.3/in\", \"TargetLoginID\":\"\", "
                  "\"TargetPassword\":\"\", \"TargetAuthMethod\":\"0\", \"TargetUseSecureSession\":\"0\"}]") +
          "</Settings>"));
  pid_t pid = program.Start({"-start", "-hide"});
  ASSERT_GT(pid, 0);
  const std::string status = dir.Join("Data/AIEvent_10_1_2_3_Status_3.dat");
  EXPECT_TRUE(WaitUntil([&] { return ReadTestFile(status).find("<LastErrorCode>2</LastErrorCode>") != std::string::npos; }))
      << ReadTestFile(status);
  kill(pid, SIGTERM);
  int end = program.WaitForEnd(pid);
  EXPECT_TRUE(EndedCleanly(end)) << DescribeWaitStatus(end);
}

}  // namespace
