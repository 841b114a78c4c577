#include "recorders/HTNVRAdapter.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "FakeHitronNvr.h"
#include "foundation/ProcessLogCapture.h"
#include "support/WaitUntil.h"

namespace {

using Clock = std::chrono::steady_clock;
using Step = FakeHitronNvr::Step;

constexpr uint32_t kLoginReply = 0x80000001;
constexpr uint32_t kListReply = 0x80020000;
constexpr size_t kLoginPacket = 208;
constexpr size_t kListPacket = 72;
constexpr size_t kRecord = 2736;

std::string Words(std::initializer_list<uint32_t> words) {
  std::string out;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((w >> (8 * i)) & 0xFF));
  }
  return out;
}

// `text` in a zero-filled field of `size` bytes (cut at the field's end).
std::string Field(const std::string& text, size_t size) {
  std::string out = text.substr(0, size);
  out.resize(size, '\0');
  return out;
}

// One camera record as the NVR lays it out; fields not named stay zero.
struct RecordSpec {
  int32_t channel = 0;
  std::string text12, text44;
  std::string ip = std::string("\x0A\x00\x00\x01", 4);
  std::string text2492, text2524, name;
};

std::string Record(const RecordSpec& r) {
  std::string out(8, '\0');
  out += Words({static_cast<uint32_t>(r.channel)});
  out += Field(r.text12, 32) + Field(r.text44, 36) + Field(r.ip, 4);
  out.resize(2492, '\0');
  out += Field(r.text2492, 32) + Field(r.text2524, 96) + Field(r.name, kRecord - 2620);
  return out;
}

// A camera-list reply payload: 40 unread bytes, the count, the records.
std::string ListPayload(const std::vector<RecordSpec>& records, int64_t count = -1) {
  std::string out(40, '\x5A');
  out += Words({static_cast<uint32_t>(count < 0 ? static_cast<int64_t>(records.size()) : count)});
  for (const RecordSpec& r : records) out += Record(r);
  return out;
}

std::string LoginOk() { return FakeHitronNvr::Reply(kLoginReply, std::string(16, '\0')); }

// A client connection to the fake, stored in a fresh session.
void Connect(CHTAPISession* session, const FakeHitronNvr& nvr) {
  session->socket = sock::Connect("127.0.0.1", nvr.port(), 5000);
  ASSERT_NE(session->socket, INVALID_SOCKET);
}

bool FlagSet(void* flag) { return static_cast<std::atomic<bool>*>(flag)->load(); }

TEST(HTNVRAdapter, LoginAndCameraListGoOutWireExactAndReadTheCameras) {
  RecordSpec camera;
  camera.channel = 3;
  camera.text12 = "\xED\x95\x9C";  // UTF-8 of a Hangul syllable
  camera.text44 = "\xED\x95\x9C";  // taken raw
  camera.ip = std::string("\xC0\x00\x02\x0A", 4);
  camera.text2492 = "model";
  camera.text2524 = "rtsp://192.0.2.10/1";
  camera.name = "\xEC\xB9\xB4\xEB\xA9\x94\xEB\x9D\xBC";  // UTF-8 of a Korean camera name
  FakeHitronNvr nvr({{kLoginPacket, LoginOk()},
                     {kListPacket, FakeHitronNvr::Reply(kListReply, ListPayload({camera}))}});
  CHTAPISession session;
  Connect(&session, nvr);
  const std::string password = "p%ss\xC7\xD1";  // "%" and CP949 bytes go out unchanged
  ASSERT_EQ(CHTNVRAdapter::DoLogin(session, "admin", password, nullptr, nullptr), 1);
  CHTNVRAdapter::CameraMap cameras;
  ASSERT_EQ(CHTNVRAdapter::GetCameraList(session, &cameras, nullptr, nullptr), 1);

  std::vector<std::string> requests = nvr.Requests();
  ASSERT_EQ(requests.size(), 2u);
  std::string login = Words({0xA53F0000}) + std::string(72, '\0') + Words({1, 96, 0, 4, 0, 0, 96, 0, 0}) +
                      Words({1}) + Field("admin", 32) + Field(password, 32) + std::string(28, '\0');
  EXPECT_EQ(requests[0].substr(0, 4), std::string("\x00\x00\x3F\xA5", 4));
  EXPECT_EQ(requests[0], login);
  EXPECT_EQ(requests[1], Words({0x20000, 36, 0, 4, 0, 0, 36, 0, 0}) + std::string(36, '\0'));

  ASSERT_EQ(cameras.size(), 1u);
  const CHTCameraInfo& got = cameras.at(3);
  EXPECT_EQ(got.Channel, 3);
  EXPECT_EQ(got.Name, "\xC4\xAB\xB8\xDE\xB6\xF3");  // the same name in CP949
  EXPECT_EQ(got.RecordText12, "\xC7\xD1");
  EXPECT_EQ(got.RecordText44, "\xED\x95\x9C");
  EXPECT_EQ(got.IPAddress, "192.0.2.10");
  EXPECT_EQ(got.RecordText2492, "model");
  EXPECT_EQ(got.RecordText2524, "rtsp://192.0.2.10/1");
}

TEST(HTNVRAdapter, LoginFieldsKeepAtMost31BytesAndAZero) {
  const std::string forty(40, 'u');
  const std::string thirtyOne(31, 'p');
  struct Case {
    std::string user, password;
    std::string userField, passwordField;  // the 32-byte fields expected on the wire
  } cases[] = {
      {forty, "pw", Field(forty.substr(0, 31), 32), Field("pw", 32)},
      {"admin", thirtyOne, Field("admin", 32), Field(thirtyOne, 32)},
      {"admin", thirtyOne + "XYZ", Field("admin", 32), Field(thirtyOne, 32)},
      {"", "", std::string(32, '\0'), std::string(32, '\0')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user + "/" + c.password);
    FakeHitronNvr nvr({{kLoginPacket, LoginOk()}});
    CHTAPISession session;
    Connect(&session, nvr);
    ASSERT_EQ(CHTNVRAdapter::DoLogin(session, c.user, c.password, nullptr, nullptr), 1);
    std::string payload = nvr.Requests().at(0).substr(76 + 36);
    ASSERT_EQ(payload.size(), 96u);
    EXPECT_EQ(payload.substr(4, 32), c.userField);
    EXPECT_EQ(payload[35], '\0');
    EXPECT_EQ(payload.substr(36, 32), c.passwordField);
    EXPECT_EQ(payload.substr(68), std::string(28, '\0'));
  }
}

TEST(HTNVRAdapter, ReadsCameraRecordsIntoTheCallersMap) {
  RecordSpec first, second, full, odd;
  first.channel = second.channel = 5;
  first.name = "first";
  second.name = "second";
  full.channel = 7;  // every text fills its field: no NUL, the field's end ends it
  full.text12 = std::string(40, 'a');
  full.text44 = std::string(40, 'b');
  full.text2492 = std::string(40, 'c');
  full.text2524 = std::string(100, 'd');
  full.name = std::string(200, 'n');
  odd.channel = -1;
  odd.ip = std::string("\xFF\x00\x80\x01", 4);

  CHTAPISession unused;
  struct Case {
    const char* what;
    std::string payload;
    std::map<int32_t, std::string> names;  // channel -> name afterwards (the map held 9 -> "kept")
  } cases[] = {
      {"count 0", ListPayload({}), {{9, "kept"}}},
      {"same channel twice keeps the second", ListPayload({first, second}), {{5, "second"}, {9, "kept"}}},
      {"negative channel", ListPayload({odd}), {{-1, ""}, {9, "kept"}}},
      {"texts without NUL", ListPayload({full}), {{7, std::string(116, 'n')}, {9, "kept"}}},
      {"bytes after the last record are ignored", ListPayload({first}) + "tail", {{5, "first"}, {9, "kept"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CHTNVRAdapter::CameraMap cameras;
    cameras[9].Channel = 9;
    cameras[9].Name = "kept";
    ASSERT_EQ(CHTNVRAdapter::ReadCameraList(c.payload.data(), static_cast<uint32_t>(c.payload.size()), &cameras), 1);
    std::map<int32_t, std::string> names;
    for (const auto& [channel, info] : cameras) {
      EXPECT_EQ(info.Channel, channel);
      names[channel] = info.Name;
    }
    EXPECT_EQ(names, c.names);
  }

  CHTNVRAdapter::CameraMap cameras;
  std::string payload = ListPayload({full, odd});
  ASSERT_EQ(CHTNVRAdapter::ReadCameraList(payload.data(), static_cast<uint32_t>(payload.size()), &cameras), 1);
  EXPECT_EQ(cameras.at(7).RecordText12, std::string(32, 'a'));
  EXPECT_EQ(cameras.at(7).RecordText44, std::string(36, 'b'));
  EXPECT_EQ(cameras.at(7).RecordText2492, std::string(32, 'c'));
  EXPECT_EQ(cameras.at(7).RecordText2524, std::string(96, 'd'));
  EXPECT_EQ(cameras.at(-1).IPAddress, "255.0.128.1");
}

// ---- failures: each returns 0 with its line and leaves the caller's map alone

enum class Operation { Login, List };

struct FailureCase {
  const char* name;
  Operation operation;
  std::vector<Step> script;  // for List, after a successful login step
  std::vector<std::string> lines;
  int minMs = 0;  // the operation may not give up sooner (the 3000 ms bound)
};

void PrintTo(const FailureCase& c, std::ostream* out) { *out << c.name; }

std::string HeaderPart(uint32_t type, uint32_t length, size_t bytes) {
  return FakeHitronNvr::Reply(type, length, "").substr(0, bytes);
}

const std::string kTwoCameras = ListPayload({RecordSpec{}, RecordSpec{}});

std::vector<FailureCase> FailureCases() {
  const char* loginRecv = "ERROR : Receive API_RESPONSE_LOGIN packet failed.\r\n";
  const char* listRecv = "ERROR : Receiving API_REQUEST_CAM_LIST failed.\r\n";
  return {
      {"LoginReplyOfAnotherType", Operation::Login,
       {{kLoginPacket, FakeHitronNvr::Reply(0x80000002, "")}},
       {"ERROR : Response packet is not API_RESPONSE_LOGIN. received payload = 80000002\r\n"}},
      {"ListReplyOfAnotherType", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kLoginReply, kTwoCameras)}},
       {"ERROR : Response packet is not API_RESPONSE_CAM_LIST. received payload = 80000001\r\n"}},
      {"SilentNvrAfterLogin", Operation::Login, {{kLoginPacket, ""}}, {loginRecv}, 2900},
      {"LoginHeaderShort", Operation::Login, {{kLoginPacket, HeaderPart(kLoginReply, 0, 20)}}, {loginRecv}, 2900},
      {"ListPayloadShort", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, kTwoCameras).substr(0, 36 + 100)}}, {listRecv}, 2900},
      {"LoginClosedMidHeader", Operation::Login,
       {{kLoginPacket, HeaderPart(kLoginReply, 0, 20), true}}, {loginRecv}},
      {"ListClosedMidPayload", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, kTwoCameras).substr(0, 36 + 3000), true}}, {listRecv}},
      {"LoginPayloadAboveItsBuffer", Operation::Login,
       {{kLoginPacket, FakeHitronNvr::Reply(kLoginReply, 1025, std::string(1100, 'x'))}},
       {"ERROR : Reply payload of 1025 bytes does not fit the 1024-byte buffer.\r\n", loginRecv}},
      {"ListPayloadAboveItsBuffer", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, 0xFFFFFFF0, kTwoCameras)}},
       {"ERROR : Reply payload of 4294967280 bytes does not fit the 1024000-byte buffer.\r\n", listRecv}},
      {"ListCountBeyondPayload", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, ListPayload({RecordSpec{}, RecordSpec{}}, 3))}},
       {"ERROR : API_RESPONSE_CAM_LIST announces 3 cameras (8252 bytes) in a payload of 5516 bytes.\r\n"}},
      {"ListHugeCount", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, ListPayload({}, 0xFFFFFFFF))}},
       {"ERROR : API_RESPONSE_CAM_LIST announces 4294967295 cameras (11751030519164 bytes) in a payload of 44 "
        "bytes.\r\n"}},
      {"ListRecordCutShort", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, kTwoCameras.substr(0, 44 + kRecord + 10))}},
       {"ERROR : API_RESPONSE_CAM_LIST announces 2 cameras (5516 bytes) in a payload of 2790 bytes.\r\n"}},
      {"ListWithoutCount", Operation::List,
       {{kListPacket, FakeHitronNvr::Reply(kListReply, std::string(40, '\0'))}},
       {"ERROR : API_RESPONSE_CAM_LIST payload of 40 bytes holds no camera count.\r\n"}},
  };
}

class HTNVRAdapterFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(HTNVRAdapterFailure, ReturnsZeroWithItsLine) {
  const FailureCase& c = GetParam();
  std::vector<Step> script = c.script;
  if (c.operation == Operation::List) script.insert(script.begin(), Step{kLoginPacket, LoginOk()});
  FakeHitronNvr nvr(script);
  CHTAPISession session;
  Connect(&session, nvr);
  ProcessLogCapture log;
  CHTNVRAdapter::CameraMap cameras;
  cameras[9].Name = "kept";
  auto start = Clock::now();
  if (c.operation == Operation::Login) {
    EXPECT_EQ(CHTNVRAdapter::DoLogin(session, "admin", "pw", nullptr, nullptr), 0);
  } else {
    ASSERT_EQ(CHTNVRAdapter::DoLogin(session, "admin", "pw", nullptr, nullptr), 1);
    start = Clock::now();
    EXPECT_EQ(CHTNVRAdapter::GetCameraList(session, &cameras, nullptr, nullptr), 0);
  }
  int elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, c.minMs);
  if (c.minMs == 0) {
    EXPECT_LT(elapsed, 2900);  // a refusal or a close needs no time-out
  }
  for (const std::string& line : c.lines) EXPECT_NE(log.Text().find(line), std::string::npos) << log.Text();
  ASSERT_EQ(cameras.size(), 1u);
  EXPECT_EQ(cameras.at(9).Name, "kept");
}

INSTANTIATE_TEST_SUITE_P(Cases, HTNVRAdapterFailure, ::testing::ValuesIn(FailureCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(HTNVRAdapter, SendCutShortFailsWithCounts) {
  struct Case {
    Operation operation;
    const char* line;
  } cases[] = {
      {Operation::Login, "ERROR : Sending API_REQUEST_LOGIN failed. req = 208 bytes, send = -1 bytes\r\n"},
      {Operation::List, "ERROR : Sending API_REQUEST_CAM_LIST failed. req = 72 bytes, send = -1 bytes\r\n"},
  };
  for (const Case& c : cases) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
    shutdown(fds[0], SHUT_WR);  // every send on it fails
    ProcessLogCapture log;
    CHTAPISession session;
    session.socket = fds[0];
    CHTNVRAdapter::CameraMap cameras;
    if (c.operation == Operation::Login) {
      EXPECT_EQ(CHTNVRAdapter::DoLogin(session, "admin", "pw", nullptr, nullptr), 0);
    } else {
      session.preambleSent = 1;  // as after a login
      EXPECT_EQ(CHTNVRAdapter::GetCameraList(session, &cameras, nullptr, nullptr), 0);
    }
    EXPECT_NE(log.Text().find(c.line), std::string::npos) << log.Text();
    close(fds[1]);
  }
}

TEST(HTNVRAdapter, StopCheckEndsAPendingReceiveWithinASecond) {
  FakeHitronNvr nvr({{kLoginPacket, ""}});  // never answers
  CHTAPISession session;
  Connect(&session, nvr);
  std::atomic<bool> stop{false};
  std::thread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop = true;
  });
  auto start = Clock::now();
  EXPECT_EQ(CHTNVRAdapter::DoLogin(session, "admin", "pw", FlagSet, &stop), 0);
  int elapsed = ElapsedMs(start);
  stopper.join();
  EXPECT_LT(elapsed, 2500);  // ended by the stop check, well before the 3000 ms time-out
}

TEST(HTNVRAdapter, SessionClosesItsSocketWhenDestroyed) {
  int fds[2];
  ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
  {
    CHTAPISession session;
    session.socket = fds[0];
  }
  pollfd p{fds[1], POLLIN, 0};
  ASSERT_EQ(poll(&p, 1, 5000), 1);
  char byte;
  EXPECT_EQ(read(fds[1], &byte, 1), 0);  // end of stream: the other end is closed
  close(fds[1]);
}

}  // namespace
