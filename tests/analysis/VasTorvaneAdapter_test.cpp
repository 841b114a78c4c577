#include "analysis/VasTorvaneAdapter.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "FakeAnalysisServer.h"
#include "VasTestStore.h"
#include "analysis/VasServiceFactory.h"
#include "foundation/FileUtil.h"
#include "foundation/ProcessLogCapture.h"
#include "net/SecureSock.h"
#include "net/Sock.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A loopback port on which nothing listens.
unsigned short ClosedPort() {
  SOCKET s = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short port = sock::GetLocalPort(s);
  close(s);
  return port;
}

bool WaitUntilCount(FakeAnalysisServer& server, size_t count) {
  return WaitUntil([&] { return server.Requests().size() >= count; });
}

std::shared_ptr<VasTorvaneAdapter> AdapterFor(const std::shared_ptr<CTBLVas>& row) {
  return std::dynamic_pointer_cast<VasTorvaneAdapter>(VasServiceFactory::CreateVasService(row.get()));
}

// ---------------------------------------------------------------- factory

TEST(VasServiceFactory, OwnKindGivesTheOwnAdapterAndOtherKindsNothing) {
  VasTestStore store;
  struct Case {
    int type;
    bool own;
  } cases[] = {{1, true}, {0, false}, {6, false}, {-1, false}};
  for (const Case& c : cases) {
    auto row = store.AddServer(10 + c.type, 7080, c.type);
    auto service = VasServiceFactory::CreateVasService(row.get());
    EXPECT_EQ(std::dynamic_pointer_cast<VasTorvaneAdapter>(service) != nullptr, c.own) << "Type " << c.type;
    if (!c.own) EXPECT_EQ(service, nullptr) << "Type " << c.type;
  }
  EXPECT_EQ(VasServiceFactory::CreateVasService(nullptr), nullptr);
}

TEST(VasServiceFactory, AdapterTakesTheClientStoreLoginAndTheSecurePort) {
  VasTestStore store;
  auto row = store.AddServer(1, 7080, 1, "login-id", "login-pw");
  row->SetSecureWebPort(7443);
  row->SetControlPort(28001);
  row->SetUseSecure(1);
  auto adapter = AdapterFor(row);
  ASSERT_TRUE(adapter);
  EXPECT_EQ(adapter->GetLoginID(), "login-id");
  EXPECT_EQ(adapter->GetLoginPassword(), "login-pw");
  EXPECT_EQ(adapter->GetPort(), 7443);
  EXPECT_EQ(adapter->GetControlPort(), 28001);
  EXPECT_EQ(adapter->GetUseSecure(), 1);
  row->SetUseSecure(0);
  EXPECT_EQ(AdapterFor(row)->GetPort(), 7080);
}

TEST(VasServiceFactory, AuthTypeMapsToTheEndpointMode) {
  CTBLVas row;
  const int expected[] = {0, 3, 1, 2, 0};  // AuthType 0 to 4
  for (int type = 0; type < 5; ++type) {
    row.SetAuthType(type);
    EXPECT_EQ(row.GetHttpAuthMode(), expected[type]) << "AuthType " << type;
  }
}

TEST(VasTorvaneAdapter, CheckConnectsAndClosesOrReports20005) {
  SOCKET listener = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short open = sock::GetLocalPort(listener);
  int error = -7;
  EXPECT_EQ(VasTorvaneAdapter::Check("127.0.0.1", open, &error, 2000), 1);
  EXPECT_EQ(error, -7);  // success leaves the error alone
  unsigned short closed = ClosedPort();
  ProcessLogCapture log;
  EXPECT_EQ(VasTorvaneAdapter::Check("127.0.0.1", closed, &error, 2000), 0);
  EXPECT_EQ(error, 20005);
  EXPECT_EQ(VasTorvaneAdapter::Check("127.0.0.1", closed, nullptr, 2000), 0);
  std::string line = "ERROR - [127.0.0.1:" + std::to_string(closed) + "] Error raised when try connect to vas.\r\n";
  std::string text = log.Text();
  size_t first = text.find(line);
  ASSERT_NE(first, std::string::npos) << text;
  EXPECT_NE(text.find(line, first + 1), std::string::npos) << "a null error pointer still logs";
  close(listener);
}

// ---------------------------------------------------------------- status requests

struct BodyCase {
  const char* name;
  bool analysis;
  int polling;
  int withChannelList;
  const char* body;
};

TEST(VasTorvaneAdapter, StatusRequestsSendTheirFormExactly) {
  const BodyCase cases[] = {
      {"system, polling", false, 1, 0, "polling=1&fulltext=1&status=1&analysis=0"},
      {"system, streaming", false, 0, 0, "polling=0&fulltext=1&status=1&analysis=0&interval=5"},
      {"system, channel list", false, 0, 1, "polling=0&fulltext=1&status=1&analysis=0&interval=5&channel=1,3"},
      {"analysis, streaming", true, 0, 0, "polling=0&fulltext=0&status=0&client=0&analysis=1&interval=5"},
      {"analysis, polling, channel list", true, 1, 1, "polling=1&fulltext=0&status=0&client=0&analysis=1&channel=1,3"},
  };
  FakeAnalysisServer server([](FakeConnection& c, int) {
    FakeRequest request;
    c.ReadRequest(&request);
  });
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  store.AddDevice(1, 1, 1);
  store.AddDevice(2, 1, 3);
  for (size_t i = 0; i < std::size(cases); ++i) {
    const BodyCase& c = cases[i];
    auto adapter = AdapterFor(row);
    CSecureSock conn;
    int error = -7;
    int sent = c.analysis ? adapter->RequestAnalysisStatus(nullptr, row.get(), &error, 5, c.polling,
                                                           c.withChannelList, &conn)
                          : adapter->RequestSystemStatus(nullptr, row.get(), &error, 5, c.polling,
                                                         c.withChannelList, &conn);
    EXPECT_EQ(sent, 1) << c.name;
    EXPECT_EQ(error, 0) << c.name;
    EXPECT_TRUE(conn.IsUsable()) << c.name << ": the connection stays open";
    ASSERT_TRUE(WaitUntilCount(server, i + 1)) << c.name;
    conn.Close();
    FakeRequest request = server.Requests()[i];
    EXPECT_EQ(request.body, c.body) << c.name;
    EXPECT_EQ(request.Field("Content-Length"), std::to_string(std::strlen(c.body) + 4)) << c.name;
    // AuthType 1: the client store's login in the query, never the columns.
    EXPECT_EQ(request.requestLine, "POST /stream/status.cgi?id=admin&password=secret HTTP/1.1") << c.name;
    EXPECT_EQ(request.header.find("column-"), std::string::npos) << c.name;
  }
  auto requests = server.Requests();
  EXPECT_EQ(requests[1].Field("Content-Length"), "55");
}

TEST(VasTorvaneAdapter, StatusRequestWithoutConnectionOrUnsentFails) {
  VasTestStore store;
  auto row = store.AddServer(1, ClosedPort());
  auto adapter = AdapterFor(row);
  ProcessLogCapture log;
  CSecureSock conn;
  int error = -7;
  EXPECT_EQ(adapter->RequestSystemStatus(nullptr, row.get(), &error, 5, 0, 0, &conn), 0);
  EXPECT_EQ(error, 20006);
  EXPECT_NE(log.Text().find("ERROR - [" + row->GetDisplayName() + "] Error raised when check activity for vas.\r\n"),
            std::string::npos)
      << log.Text();

  // A connection whose peer has gone: the request cannot be written.
  int pair[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
  close(pair[1]);
  conn.socket = pair[0];
  EXPECT_EQ(adapter->RequestAnalysisStatus(nullptr, row.get(), &error, 5, 0, 0, &conn), 0);
  EXPECT_EQ(error, 20007);
  EXPECT_EQ(conn.socket.load(), INVALID_SOCKET) << "a failed request closes the connection";
  EXPECT_NE(log.Text().find("Error raised when request message to vas\r\n"), std::string::npos);
}

// ---------------------------------------------------------------- one stream unit

struct UnitCase {
  const char* name;
  std::string bytes;  // what the server sends
  bool closeAfter;    // the server closes after sending
  int result;
  int error;             // -7: left alone
  const char* buffer;    // expected start of the buffer, or null
};

// Reads one unit from a socket pair whose other end sent `bytes`.
struct UnitReader {
  explicit UnitReader(const std::string& bytes, bool closeAfter) {
    EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, fds), 0);
    sock::SetNonBlock(fds[0], true);
    EXPECT_EQ(send(fds[1], bytes.data(), bytes.size(), 0), static_cast<ssize_t>(bytes.size()));
    if (closeAfter) Peer();
    conn.socket = fds[0];
  }
  ~UnitReader() { Peer(); }
  void Peer() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
  int Read(int wait, int* error, VasAbortFunc abort = nullptr, void* context = nullptr) {
    VasTestStore store;
    auto row = store.AddServer(1, 7080);
    return AdapterFor(row)->ReceiveStatus(nullptr, row.get(), error, wait, &conn, &buffer, abort, context);
  }
  int fds[2] = {-1, -1};
  CSecureSock conn;
  std::vector<char> buffer;
};

const char kResult401[] = "<Result><Code>401</Code><Comment>Administrator Password Setup Required</Comment></Result>";

TEST(VasTorvaneAdapter, ReceiveStatusReadsOneUnit) {
  const std::string part = "--1234567890\r\nContent-Type: text/xml\r\nContent-Length: 5\r\n\r\nhello";
  const UnitCase cases[] = {
      {"reply header without body", "HTTP/1.1 200 OK\r\n\r\n", false, 0, -7, nullptr},
      {"part with body", part, false, 1, -7, "hello"},
      {"part after the line end of the previous part", "\r\n" + part, false, 1, -7, "hello"},
      {"part with Content-Length 0", "--1234567890\r\nContent-Length: 0\r\n\r\n", false, 0, -7, nullptr},
      {"boundary off by one character", "--1234567891\r\nContent-Length: 0\r\n\r\n", false, -1, 20011, nullptr},
      {"first line without a word", "  \r\nContent-Length: 0\r\n\r\n", false, -1, 20010, nullptr},
      {"401 with an XML body",
       "HTTP/1.1 401 Unauthorized\r\nContent-Length: " + std::to_string(strlen(kResult401)) + "\r\n\r\n" +
           kResult401,
       false, -1, 401, kResult401},
      {"closed before a header", "", true, -1, 20008, nullptr},
      {"short body, then closed", "--1234567890\r\nContent-Length: 10\r\n\r\nabc", true, -1, 20009, nullptr},
      {"body above 16 MiB", "--1234567890\r\nContent-Length: 16777217\r\n\r\n", false, -1, 20009, nullptr},
  };
  for (const UnitCase& c : cases) {
    UnitReader reader(c.bytes, c.closeAfter);
    int error = -7;
    EXPECT_EQ(reader.Read(0, &error), c.result) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    if (c.buffer) {
      ASSERT_FALSE(reader.buffer.empty()) << c.name;
      EXPECT_STREQ(reader.buffer.data(), c.buffer) << c.name;
    }
  }
}

TEST(VasTorvaneAdapter, ReceiveStatusGivesUpAfterTheWaitOrOnAbort) {
  {
    // Silence: the header wait is the interval plus 3 s.
    UnitReader reader("", false);
    int error = -7;
    auto start = Clock::now();
    EXPECT_EQ(reader.Read(1, &error), -1);
    EXPECT_EQ(error, 20008);
    EXPECT_GE(MsSince(start), 3900);
  }
  struct Case {
    const char* name;
    std::string bytes;
    int error;
  } cases[] = {
      {"abort while waiting for the header", "", 20008},
      {"abort while waiting for the body", "--1234567890\r\nContent-Length: 10\r\n\r\nabc", 20009},
  };
  for (const Case& c : cases) {
    UnitReader reader(c.bytes, false);
    std::atomic<bool> abort{false};
    std::thread trigger([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      abort = true;
    });
    int error = -7;
    auto start = Clock::now();
    EXPECT_EQ(reader.Read(60, &error, [](void* flag) { return static_cast<std::atomic<bool>*>(flag)->load(); },
                          &abort),
              -1)
        << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    EXPECT_LT(MsSince(start), 20000) << c.name << ": far below the 63 s wait";
    trigger.join();
  }
}

// ---------------------------------------------------------------- control port

// A control port on loopback: it drops connections that close before a frame
// header (the adapter's connection test), reads one request frame and the
// file bytes its <Size> announces, then sends the scripted reply and waits
// for the client to close.
class FakeControlPort {
 public:
  struct Script {
    explicit Script(std::string replyBytes) : reply(std::move(replyBytes)) {}
    std::string reply;              // bytes sent back after the request
    int pauseBeforeDataMs = 0;      // the file bytes wait this long in the socket
    int receiveBuffer = 0;          // > 0: SO_RCVBUF of accepted connections
  };

  explicit FakeControlPort(Script script) : script_(std::move(script)) {
    listener_ = sock::Listen(0, htonl(INADDR_LOOPBACK));
    if (script_.receiveBuffer > 0) {
      setsockopt(listener_, SOL_SOCKET, SO_RCVBUF, &script_.receiveBuffer, sizeof(script_.receiveBuffer));
    }
    port_ = sock::GetLocalPort(listener_);
    thread_ = std::thread([this] { Run(); });
  }
  ~FakeControlPort() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }
  unsigned short port() const { return port_; }
  // The request frame's XML and the bytes after it, once the exchange ended.
  std::string Xml() {
    std::lock_guard<std::mutex> hold(lock_);
    return xml_;
  }
  std::string Data() {
    std::lock_guard<std::mutex> hold(lock_);
    return data_;
  }
  int Exchanges() const { return exchanges_.load(); }

  static std::string Frame(const std::string& xml, uint32_t marker = 0x87654321u) {
    std::string frame(8, '\0');
    for (int i = 0; i < 4; ++i) {
      frame[i] = static_cast<char>(marker >> (8 * i));
      frame[4 + i] = static_cast<char>(static_cast<uint32_t>(xml.size()) >> (8 * i));
    }
    return frame + xml;
  }
  static std::string Reply(int code) {
    return Frame("<ManagerAPI><Res><Code>" + std::to_string(code) + "</Code></Res></ManagerAPI>");
  }

 private:
  // Reads exactly `size` bytes unless the client closes or 30 s pass.
  bool ReadExact(int fd, char* out, size_t size) {
    size_t got = 0;
    auto end = Clock::now() + std::chrono::seconds(30);
    while (got < size && !stop_ && Clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      ssize_t n = recv(fd, out + got, size - got, 0);
      if (n <= 0) return false;
      got += static_cast<size_t>(n);
    }
    return got == size;
  }
  void Run() {
    while (!stop_) {
      pollfd p{listener_, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      int fd = accept(listener_, nullptr, nullptr);
      if (fd < 0) continue;
      Serve(fd);
      close(fd);
    }
  }
  void Serve(int fd) {
    char header[8];
    if (!ReadExact(fd, header, sizeof(header))) return;  // the connection test
    uint32_t length = 0;
    for (int i = 0; i < 4; ++i) length |= static_cast<uint32_t>(static_cast<unsigned char>(header[4 + i])) << (8 * i);
    std::string xml(length, '\0');
    if (!ReadExact(fd, xml.data(), length)) return;
    size_t at = xml.find("<Size>");
    size_t size = at == std::string::npos ? 0 : std::stoull(xml.substr(at + 6));
    if (script_.pauseBeforeDataMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script_.pauseBeforeDataMs));
    std::string data;
    std::vector<char> chunk(65536);
    auto dataEnd = Clock::now() + std::chrono::seconds(60);
    while (data.size() < size && !stop_ && Clock::now() < dataEnd) {
      size_t want = std::min(chunk.size(), size - data.size());
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      ssize_t n = recv(fd, chunk.data(), want, 0);
      if (n <= 0) break;
      data.append(chunk.data(), static_cast<size_t>(n));
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      xml_ = xml;
      data_ = data;
    }
    send(fd, script_.reply.data(), script_.reply.size(), MSG_NOSIGNAL);
    char drain[256];
    auto end = Clock::now() + std::chrono::seconds(30);
    while (!stop_ && Clock::now() < end) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 50) <= 0) continue;
      if (recv(fd, drain, sizeof(drain), 0) <= 0) break;
    }
    ++exchanges_;
  }

  Script script_;
  SOCKET listener_ = INVALID_SOCKET;
  unsigned short port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> exchanges_{0};
  std::mutex lock_;  // guards xml_ and data_
  std::string xml_;
  std::string data_;
  std::thread thread_;
};

std::string UploadDocument(const std::string& name, long long size) {
  return "<ManagerAPI>\r\n\t<Command>dnn_data</Command>\r\n\t<Method>set</Method>\r\n\t<Req>\r\n"
         "\t\t<Action>upload</Action>\r\n\t\t<File>\r\n\t\t\t<Name>" +
         name + "</Name>\r\n\t\t\t<Size>" + std::to_string(size) +
         "</Size>\r\n\t\t</File>\r\n\t</Req>\r\n</ManagerAPI>\r\n";
}

const char kRestartDocument[] =
    "<ManagerAPI>\r\n\t<Command>program</Command>\r\n\t<Method>set</Method>\r\n\t<Req>\r\n"
    "\t\t<Action>restart</Action>\r\n\t</Req>\r\n</ManagerAPI>\r\n";

// Bytes that show a shifted or repeated stretch: no two 4-byte words alike.
std::string Pattern(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i >> ((i % 4) * 8)) & 0xff);
  return bytes;
}

struct ControlFixture {
  explicit ControlFixture(unsigned short port) { row = store.AddServer(1, 7080); row->SetControlPort(port); }
  int Upload(const std::string& path, int* error) {
    return AdapterFor(row)->UploadDNN(nullptr, row.get(), error, path);
  }
  int Restart(int* error) { return AdapterFor(row)->RestartVAS(nullptr, row.get(), error); }
  VasTestStore store;
  std::shared_ptr<CTBLVas> row;
};

TEST(VasTorvaneAdapter, UploadSendsTheDocumentThenTheWholeFile) {
  for (size_t size : {size_t{1048577}, size_t{0}}) {
    TempDir dir;
    std::string path = dir.Join("model.dnn");
    std::string content = Pattern(size);
    std::ofstream(path, std::ios::binary) << content;
    FakeControlPort port(FakeControlPort::Script(FakeControlPort::Reply(200)));
    ControlFixture fixture(port.port());
    int error = -7;
    auto start = Clock::now();
    EXPECT_EQ(fixture.Upload(path, &error), 1) << size;
    EXPECT_EQ(error, 0);
    EXPECT_GE(MsSince(start), 2000) << "the reply is read after 2000 ms";
    ASSERT_TRUE(WaitUntil([&] { return port.Exchanges() == 1; }));
    EXPECT_EQ(port.Xml(), UploadDocument("model.dnn", static_cast<long long>(size)));
    EXPECT_TRUE(port.Data() == content) << "file of " << size << " bytes arrived as " << port.Data().size();
  }
}

TEST(VasTorvaneAdapter, ControlRepliesGiveTheirCodes) {
  struct Case {
    const char* name;
    bool upload;
    std::string reply;
    int result;
    int error;
  } cases[] = {
      {"restart accepted", false, FakeControlPort::Reply(200), 1, 0},
      {"upload refused", true, FakeControlPort::Reply(415), 0, 20017},
      {"restart with 415", false, FakeControlPort::Reply(415), 0, 20014},
      {"reply without code", false, FakeControlPort::Frame("<ManagerAPI><Res/></ManagerAPI>"), 0, 20014},
      {"wrong marker", false, FakeControlPort::Frame("<ManagerAPI/>", 0x87654320u), 0, 20016},
      {"reply XML of 2048 bytes", false, FakeControlPort::Frame("<a>" + std::string(2041, 'x') + "</a>"), 0, 20016},
      {"reply XML cut short", false, FakeControlPort::Reply(200).substr(0, 20), 0, 20016},
      {"reply that is no XML", false, FakeControlPort::Frame("<<<"), 0, 20004},
  };
  TempDir dir;
  std::string path = dir.Join("small.dnn");
  std::ofstream(path, std::ios::binary) << "abc";
  for (const Case& c : cases) {
    FakeControlPort port(FakeControlPort::Script(c.reply));
    ControlFixture fixture(port.port());
    ProcessLogCapture log;
    int error = -7;
    EXPECT_EQ(c.upload ? fixture.Upload(path, &error) : fixture.Restart(&error), c.result) << c.name;
    EXPECT_EQ(error, c.error) << c.name;
    if (!c.upload) EXPECT_EQ(port.Xml(), kRestartDocument) << c.name;
    if (c.error == 20016 && c.name == std::string("reply XML of 2048 bytes")) {
      EXPECT_NE(log.Text().find("Error raised when try receive xml.\r\n"), std::string::npos) << log.Text();
    }
  }
}

TEST(VasTorvaneAdapter, UnreachableControlPortFailsBeforeAnyConnection) {
  for (unsigned short controlPort : {static_cast<unsigned short>(0), ClosedPort()}) {
    ControlFixture fixture(controlPort);
    ProcessLogCapture log;
    int error = -7;
    EXPECT_EQ(fixture.Restart(&error), 0);
    EXPECT_EQ(error, 20005) << "port " << controlPort;
    EXPECT_NE(log.Text().find("Error raised when try connect to vas.\r\n"), std::string::npos);
  }
}

TEST(VasTorvaneAdapter, UploadResumesAStalledChunkWhereItStopped) {
  // The port stops reading long enough for one send to time out part-way
  // through a chunk; the file must still arrive once, byte for byte.
  TempDir dir;
  std::string path = dir.Join("big.dnn");
  std::string content = Pattern(8 * 1048576);
  std::ofstream(path, std::ios::binary) << content;
  FakeControlPort::Script script(FakeControlPort::Reply(200));
  script.pauseBeforeDataMs = 8500;
  script.receiveBuffer = 4096;
  FakeControlPort port(script);
  ControlFixture fixture(port.port());
  int error = -7;
  EXPECT_EQ(fixture.Upload(path, &error), 1);
  EXPECT_EQ(error, 0);
  ASSERT_TRUE(WaitUntil([&] { return port.Exchanges() == 1; }, 60));
  EXPECT_EQ(port.Data().size(), content.size());
  EXPECT_TRUE(port.Data() == content) << "bytes repeated or lost";
}

TEST(VasTorvaneAdapter, UploadOfAFileThatYieldsLessThanItsLengthEndsWith20015) {
  // A kernel attribute file measures 4096 bytes but reads as a few: it stands
  // for a file that shrank between being measured and being sent.
  const std::string path = "/sys/devices/system/cpu/online";
  if (GetFileLength(path) != 4096) GTEST_SKIP() << path << " does not measure 4096 bytes here";
  FakeControlPort port(FakeControlPort::Script(FakeControlPort::Reply(200)));
  ControlFixture fixture(port.port());
  ProcessLogCapture log;
  int error = -7;
  auto start = Clock::now();
  EXPECT_EQ(fixture.Upload(path, &error), 0);
  EXPECT_EQ(error, 20015);
  EXPECT_LT(MsSince(start), 30000) << "the send loop ends at the end of the file";
  EXPECT_NE(log.Text().find("Error raised when try send file.\r\n"), std::string::npos) << log.Text();
  ASSERT_TRUE(WaitUntil([&] { return port.Exchanges() == 1; }));
  EXPECT_EQ(port.Xml(), UploadDocument("online", 4096));
  EXPECT_LT(port.Data().size(), 4096u);
}

}  // namespace
