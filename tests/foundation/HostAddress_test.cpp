// The local address helpers inside a network namespace that the test makes
// itself, so the addresses, interfaces and routes are known. Nothing is sent
// anywhere. Needs the right to create namespaces (skipped without it).
#include "foundation/HostAddress.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "foundation/ProcessUtil.h"
#include "platform/ProcessSpawn.h"

namespace {

// Runs `ip` with the arguments of `command` (split like a command line); true on exit status 0.
bool Ip(const std::string& command) {
  std::vector<std::string> argv = SplitCommandLine("ip " + command);
  for (const char* path : {"/usr/sbin/ip", "/sbin/ip", "/usr/bin/ip", "/bin/ip"}) {
    if (access(path, X_OK) != 0) continue;
    pid_t pid = platform::SpawnProcess(path, argv);
    int status = -1;
    if (pid <= 0 || !platform::WaitForProcess(pid, 60000, &status)) return false;
    return status == 0;
  }
  return false;
}

// A network namespace of the test's own, deleted (with its interfaces) when
// the object goes, also when the test fails.
class TestNamespace {
 public:
  TestNamespace() : name_("gate_host_" + std::to_string(getpid())) {
    if (access(("/run/netns/" + name_).c_str(), F_OK) == 0) Ip("netns del " + name_);  // left by a crashed run
    created_ = Ip("netns add " + name_);
  }
  ~TestNamespace() {
    if (created_) Ip("netns del " + name_);
  }
  bool created() const { return created_; }
  // Runs `ip -n <namespace> <command>`.
  bool Run(const std::string& command) { return Ip("-n " + name_ + " " + command); }
  // Runs `body` on a thread that has entered the namespace; false when it could not enter.
  bool Inside(const std::function<void()>& body) {
    bool entered = false;
    std::thread thread([&] {
      int fd = open(("/run/netns/" + name_).c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) return;
      entered = setns(fd, CLONE_NEWNET) == 0;
      close(fd);
      if (entered) body();
    });
    thread.join();
    return entered;
  }

 private:
  std::string name_;
  bool created_ = false;
};

std::vector<std::string> Addresses(const LocalAdapterAddress* records, int count) {
  std::vector<std::string> out;
  for (int i = 0; i < count; ++i) out.push_back(records[i].address);
  return out;
}

TEST(HostAddressTest, LocalHostNames) {
  const struct {
    const char* host;
    bool local;
  } cases[] = {{"127.0.0.1", true}, {"localhost", true}, {"LOCALHOST", true}, {"LocalHost", true},
               {"127.0.0.2", false}, {"localhost.", false}, {"", false}, {nullptr, false}};
  for (const auto& c : cases) {
    EXPECT_EQ(IsLocalHostAddress(c.host), c.local) << (c.host ? c.host : "(null)");
    EXPECT_EQ(IsLocalAddress(c.host), c.local) << (c.host ? c.host : "(null)");
  }
}

TEST(HostAddressTest, ListsTheActiveEthernetAddressesOfANamespace) {
  TestNamespace ns;
  if (!ns.created()) GTEST_SKIP() << "cannot create a network namespace here";

  // An empty namespace (only a loopback that is down): nothing to list.
  ASSERT_TRUE(ns.Inside([] {
    LocalAdapterAddress records[kLocalAddressRecords] = {};
    EXPECT_EQ(GetLocalIPv4Addresses(records, kLocalAddressRecords), 0);
    EXPECT_FALSE(IsOwnIPv4Address("127.0.0.1"));
    std::string out = "unchanged";
    EXPECT_FALSE(GetLocalAddressForHost(&out, "10.1.2.3"));
    EXPECT_EQ(out, "unchanged");
  }));

  // a0/a1: a0 carries two addresses and the default route; b0/b1: b0 repeats
  // an address, b1 carries 31 more; c0/c1: c0 is up without carrier, c1 down;
  // lo: up, but a loopback.
  const std::vector<std::string> setup = {
      "link set lo up",
      "link add a0 type veth peer name a1",
      "link set a0 address 02:11:22:33:44:55",
      "addr add 192.168.0.5/24 dev a0",
      "addr add 10.1.7.9/20 dev a0",
      "link set a0 up",
      "link set a1 up",
      "route add default via 192.168.0.1 dev a0",
      "link add b0 type veth peer name b1",
      "addr add 10.1.7.9/32 dev b0",
      "link set b0 up",
      "link set b1 up",
      "link add c0 type veth peer name c1",
      "addr add 172.16.5.5/24 dev c0",
      "addr add 172.16.6.6/24 dev c1",
      "link set c0 up",
  };
  for (const std::string& command : setup) ASSERT_TRUE(ns.Run(command)) << command;
  for (int i = 1; i <= 31; ++i) {
    ASSERT_TRUE(ns.Run("addr add 10.9.0." + std::to_string(i) + "/16 dev b1"));
  }

  ASSERT_TRUE(ns.Inside([] {
    LocalAdapterAddress records[40] = {};
    const int count = GetLocalIPv4Addresses(records, 40);
    ASSERT_EQ(count, 33);
    std::vector<std::string> expected = {"192.168.0.5", "10.1.7.9"};
    for (int i = 1; i <= 31; ++i) expected.push_back("10.9.0." + std::to_string(i));
    EXPECT_EQ(Addresses(records, count), expected);

    EXPECT_STREQ(records[0].mask, "255.255.255.0");
    EXPECT_STREQ(records[1].mask, "255.255.240.0");
    EXPECT_STREQ(records[2].mask, "255.255.0.0");
    for (int i : {0, 1}) {
      EXPECT_STREQ(records[i].gateway, "192.168.0.1");
      EXPECT_STREQ(records[i].hardwareText, "02-11-22-33-44-55");
      ASSERT_EQ(records[i].hardwareLength, 6);
      EXPECT_EQ(records[i].hardware[5], 0x55);
    }
    EXPECT_STREQ(records[2].gateway, "");
    EXPECT_EQ(std::string(records[2].hardwareText).size(), 17u);

    LocalAdapterAddress limited[30] = {};
    EXPECT_EQ(GetLocalIPv4Addresses(limited, 30), 30);
    EXPECT_EQ(GetLocalIPv4Addresses(limited, 0), 0);

    EXPECT_TRUE(IsOwnIPv4Address("10.1.7.9"));
    EXPECT_TRUE(IsOwnIPv4Address("10.9.0.28"));   // within the first 30
    EXPECT_FALSE(IsOwnIPv4Address("10.9.0.31"));  // the 33rd: beyond the 30 records
    EXPECT_FALSE(IsOwnIPv4Address("172.16.5.5"));
    EXPECT_FALSE(IsOwnIPv4Address("127.0.0.1"));

    const struct {
      const char* host;
      const char* chosen;
    } cases[] = {
        {"10.1.2.3", "10.1.7.9"},        // two leading parts shared
        {"server.example", "192.168.0.5"},  // none shared: the first
        {"localhost", "192.168.0.5"},
        {"10.9.200.1", "10.9.0.1"},      // ties keep the earliest
        {"192.168.0.77", "192.168.0.5"},
        {"10.9.0.7", "10.9.0.7"},
    };
    for (const auto& c : cases) {
      std::string out;
      EXPECT_TRUE(GetLocalAddressForHost(&out, c.host));
      EXPECT_EQ(out, c.chosen) << c.host;
    }
  }));
}

}  // namespace
