#include "gui/InstanceCommandServer.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstring>
#include <vector>

#include "gui/MainWindow.h"
#include "platform/LocalSocket.h"
#include "shell/InstanceChannel.h"
#include "shell/TestTrayHost.h"
#include "support/LocalListener.h"
#include "support/TempDir.h"

namespace {

// Runs the event loop until `condition` holds or a generous time has passed.
template <typename Condition>
bool ProcessEventsUntil(Condition condition) {
  QElapsedTimer timer;
  timer.start();
  while (!condition() && timer.elapsed() < 60000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  return condition();
}

class InstanceCommandServerTest : public ::testing::Test {
 protected:
  InstanceCommandServerTest() : server_([this](int command) { received_.push_back(command); }) {}

  TempDir dir_;
  std::vector<int> received_;
  InstanceCommandServer server_;
};

TEST_F(InstanceCommandServerTest, TakesCommandsAndDropsMalformedOnes) {
  std::string path = InstanceChannelPath(dir_.path(), "TorvaneGateManager");
  ASSERT_TRUE(server_.Listen(path)) << server_.errorString().toStdString();
  // Malformed texts first, then a good command: only the good one arrives.
  for (const char* bad : {"show\n", "command 0\n", "command 32771 1 2 3 4 5 6 7 8 9 10 11 12 13\n", "command 32771"}) {
    ASSERT_TRUE(platform::SendToLocalSocket(path, bad, 10000)) << bad;
  }
  ASSERT_TRUE(platform::SendToLocalSocket(path, EncodeInstanceCommand(kTrayShowCommand), 10000));
  ASSERT_TRUE(ProcessEventsUntil([&] { return !received_.empty(); }));
  EXPECT_EQ(received_, std::vector<int>{kTrayShowCommand});
  ASSERT_TRUE(SendInstanceCommand(path, 32772, 10000));
  ASSERT_TRUE(ProcessEventsUntil([&] { return received_.size() == 2; }));
  EXPECT_EQ(received_.back(), 32772);
}

// A client that connects and says nothing must not hold up the next one.
TEST_F(InstanceCommandServerTest, SilentClientDoesNotBlockOthers) {
  std::string path = InstanceChannelPath(dir_.path(), "TorvaneGateManager");
  ASSERT_TRUE(server_.Listen(path));
  int silent = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  strncpy(address.sun_path, path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_TRUE(SendInstanceCommand(path, kTrayShowCommand, 10000));
  EXPECT_TRUE(ProcessEventsUntil([&] { return received_.size() == 1; }));
  close(silent);
}

// The socket file of an instance that crashed is in the way of the next one.
TEST_F(InstanceCommandServerTest, ReplacesTheSocketOfACrashedInstance) {
  std::string path = InstanceChannelPath(dir_.path(), "TorvaneGateManager");
  {
    LocalListener crashed(path);  // its socket file stays, nobody listens
    ASSERT_TRUE(crashed.ok());
  }
  ASSERT_TRUE(server_.Listen(path)) << server_.errorString().toStdString();
  ASSERT_TRUE(SendInstanceCommand(path, kTrayShowCommand, 10000));
  EXPECT_TRUE(ProcessEventsUntil([&] { return received_.size() == 1; }));
}

// A hidden main window comes back when a later instance sends the show
// command, wired as the program entry wires it.
TEST(InstanceCommandServer, ShowCommandBringsBackTheHiddenWindow) {
  struct NoTexts : ILangTexts {
    std::string GetText(int) const override { return ""; }
  } texts;
  TestTrayHost tray;
  MainWindow window({}, &texts, &tray);
  window.dialog().SetHideFlag(true);
  window.Initialize();
  ASSERT_TRUE(ProcessEventsUntil([&] { return window.dialog().GetTray().IsCreated(); }));
  ASSERT_TRUE(window.isHidden());

  InstanceCommandServer server([&window](int command) {
    if (command == kTrayShowCommand) window.dialog().OnTrayShow();
  });
  TempDir dir;
  std::string path = InstanceChannelPath(dir.path(), "TorvaneGateManager");
  ASSERT_TRUE(server.Listen(path));
  ASSERT_TRUE(SendInstanceCommand(path, kTrayShowCommand, 10000));
  EXPECT_TRUE(ProcessEventsUntil([&] { return window.isVisible() && !window.isMinimized(); }));
}

}  // namespace
