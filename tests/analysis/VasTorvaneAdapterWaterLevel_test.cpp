// The own-kind adapter's water-level mask exchange against the fake own-kind
// server (plain and TLS): the request as framed, the reply as read, and each
// way it fails.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "VasConfigPeer.h"
#include "VasTestStore.h"
#include "analysis/VasTorvaneAdapter.h"
#include "analysis/VasWaterLevelMask.h"
#include "foundation/ProcessLogCapture.h"
#include "support/TempDir.h"

namespace {

std::string Words(std::initializer_list<uint32_t> words) {
  std::string out;
  for (uint32_t w : words) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((w >> (8 * i)) & 0xff));
  }
  return out;
}

uint32_t WordAt(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  return value;
}

std::string DoubleBytes(double value) {
  uint64_t bits = 0;
  std::memcpy(&bits, &value, sizeof(bits));
  std::string out;
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<char>((bits >> (8 * i)) & 0xff));
  return out;
}

const std::string kOkHeader = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n\r\n";

// Reads the request, sends `reply`, then closes (or, with `hold`, keeps the
// connection open and silent until the server stops).
FakeAnalysisServer::Session Answer(const std::string& reply, bool hold = false) {
  return [reply, hold](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request, 5000)) return;
    if (!reply.empty()) connection.Send(reply);
    if (hold) {
      connection.Hold();
    } else {
      connection.Close();
    }
  };
}

bool NeverAbort(void*) { return false; }
bool AlwaysAbort(void*) { return true; }

VasWaterLevelMask TenBytes(bool extra) {
  VasWaterLevelMask mask;
  mask.RequestValue1 = 7;
  mask.RequestValue2 = -2;
  mask.Data.assign({'0', '1', '2', '3', '4', '5', '6', '7', '8', '9'});
  mask.HasExtra = extra ? 1 : 0;
  for (int i = 0; i < 8; ++i) mask.ExtraValues[i] = i + 1;
  mask.ReplyLength = -7;  // left alone on failure
  return mask;
}

struct Exchange {
  int result = 0;
  int error = -1;
  std::vector<FakeRequest> requests;
};

Exchange Ask(FakeAnalysisServer& server, VasTestStore& store, std::shared_ptr<CTBLVas> row, VasWaterLevelMask* mask,
             VasAbortFunc abort = NeverAbort) {
  VasTorvaneAdapter adapter(*row);
  Exchange out;
  out.result = adapter.GetWaterLevelMask(store.get(), row.get(), mask, abort, nullptr, &out.error);
  out.requests = server.Requests();
  return out;
}

// The request block: kind, data length, the two values, the data, and with
// the extra values their byte length and the eight values; Content-Length is
// the block's length and the login rides in the query.
TEST(VasTorvaneAdapterWaterLevel, RequestAndReplyBlocks) {
  for (bool extra : {false, true}) {
    SCOPED_TRACE(extra ? "with extra values" : "without extra values");
    const std::string reply = kOkHeader + Words({99, 5, 11, 12}) + "ABCDE" + (extra ? DoubleBytes(2.5) : "");
    FakeAnalysisServer server(Answer(reply));
    VasTestStore store;
    auto row = store.AddServer(1, server.port());
    VasWaterLevelMask mask = TenBytes(extra);
    Exchange x = Ask(server, store, row, &mask);
    EXPECT_EQ(x.result, 1);
    EXPECT_EQ(x.error, -1) << "not reset on success";
    ASSERT_EQ(x.requests.size(), 1u);
    const FakeRequest& request = x.requests[0];
    EXPECT_EQ(request.requestLine, "POST /api/waterlevel.cgi?id=admin&password=secret&method=get HTTP/1.1");
    EXPECT_EQ(request.Field("Host"), "127.0.0.1");
    EXPECT_EQ(request.Field("Content-Type"), "application/octet-stream");
    const std::string& body = request.body;
    ASSERT_EQ(body.size(), extra ? 62u : 26u);
    EXPECT_EQ(request.Field("Content-Length"), std::to_string(body.size()));
    EXPECT_EQ(WordAt(body, 0), extra ? 3u : 1u);
    EXPECT_EQ(WordAt(body, 4), 10u);
    EXPECT_EQ(WordAt(body, 8), 7u);
    EXPECT_EQ(WordAt(body, 12), 0xfffffffeu);
    EXPECT_EQ(body.substr(16, 10), "0123456789");
    if (extra) {
      EXPECT_EQ(WordAt(body, 26), 32u);
      for (int i = 0; i < 8; ++i) EXPECT_EQ(WordAt(body, 30 + 4 * i), static_cast<uint32_t>(i + 1));
    }
    EXPECT_EQ(mask.ReplyValue1, 11);
    EXPECT_EQ(mask.ReplyValue2, 12);
    EXPECT_EQ(mask.ReplyLength, 5);
    EXPECT_EQ(std::string(mask.ReplyData.begin(), mask.ReplyData.end()), "ABCDE");
    EXPECT_EQ(mask.ExtraResult, extra ? 2.5 : 0.0);
  }
}

// A mask larger than one read of the growing buffer arrives whole.
TEST(VasTorvaneAdapterWaterLevel, LargeMaskArrivesWhole) {
  std::string bytes(300001, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  FakeAnalysisServer server(
      Answer(kOkHeader + Words({0, static_cast<uint32_t>(bytes.size()), 1, 2}) + bytes + DoubleBytes(-0.75)));
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  VasWaterLevelMask mask = TenBytes(true);
  Exchange x = Ask(server, store, row, &mask);
  EXPECT_EQ(x.result, 1);
  EXPECT_EQ(mask.ReplyLength, 300001);
  EXPECT_TRUE(std::string(mask.ReplyData.begin(), mask.ReplyData.end()) == bytes);
  EXPECT_EQ(mask.ExtraResult, -0.75);
}

// Under Digest the login still goes in the query, percent-encoded, so a
// password with CR LF cannot add a header; no Authorization line is sent.
// Over TLS when the row says so.
TEST(VasTorvaneAdapterWaterLevel, LoginInTheQueryEvenUnderDigest) {
  TempDir dir;
  ASSERT_TRUE(FakeAnalysisServer::MakeCertificate(dir.path()));
  for (bool tls : {false, true}) {
    SCOPED_TRACE(tls ? "TLS" : "plain");
    FakeAnalysisServer server(Answer(kOkHeader + Words({0, 0, 0, 0})), tls ? dir.path() : std::string());
    VasTestStore store;
    auto row = store.AddServer(1, server.port(), 1, "admin", "p&w\r\nX-Injected: 1");
    row->SetAuthType(3);
    row->SetUseSecure(tls ? 1 : 0);
    VasWaterLevelMask mask = TenBytes(false);
    Exchange x = Ask(server, store, row, &mask);
    EXPECT_EQ(x.result, 1);
    ASSERT_EQ(x.requests.size(), 1u);
    EXPECT_EQ(x.requests[0].requestLine,
              "POST /api/waterlevel.cgi?id=admin&password=p%26w%0d%0aX-Injected%3a+1&method=get HTTP/1.1");
    EXPECT_EQ(x.requests[0].Field("X-Injected"), "");
    EXPECT_EQ(x.requests[0].Field("Authorization"), "");
    EXPECT_EQ(mask.ReplyLength, 0);
  }
}

struct FailureCase {
  const char* name;
  std::string reply;
  bool hold;
  VasAbortFunc abort;
  int error;
  const char* logged;
};

// Every failure leaves the record's out fields alone and logs one line.
TEST(VasTorvaneAdapterWaterLevel, FailuresLeaveTheRecordAlone) {
  const FailureCase cases[] = {
      {"refused", "HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n", false, NeverAbort, 401,
       "Error raised when request 'api/waterlevel.cgi'. response code = 401"},
      {"closed before a header", "", false, NeverAbort, kVasErrorNoHeader,
       "Receiving a header for WaterLevel.cgi failed."},
      {"aborted before a header", "", true, AlwaysAbort, kVasErrorNoHeader,
       "Receiving a header for WaterLevel.cgi failed."},
      {"head cut short", kOkHeader + "12345", false, NeverAbort, kVasErrorNoBody,
       "Receiving a response(1) for WaterLevel.cgi failed."},
      {"mask cut short", kOkHeader + Words({0, 10, 1, 2}) + "abc", false, NeverAbort, kVasErrorNoBody,
       "Receiving a response(2) for WaterLevel.cgi failed."},
      {"negative length", kOkHeader + Words({0, 0xffffffffu, 1, 2}) + "abc", false, NeverAbort, kVasErrorNoBody,
       "Receiving a response(2) for WaterLevel.cgi failed."},
      {"length above 64 MiB", kOkHeader + Words({0, 64u * 1024 * 1024 + 1, 1, 2}) + "abc", true, NeverAbort,
       kVasErrorNoBody, "Receiving a response(2) for WaterLevel.cgi failed."},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    FakeAnalysisServer server(Answer(c.reply, c.hold));
    VasTestStore store;
    auto row = store.AddServer(1, server.port());
    VasWaterLevelMask mask = TenBytes(false);
    Exchange x = Ask(server, store, row, &mask, c.abort);
    EXPECT_EQ(x.result, 0);
    EXPECT_EQ(x.error, c.error);
    EXPECT_EQ(mask.ReplyLength, -7);
    EXPECT_TRUE(mask.ReplyData.empty());
    EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
  }
}

// The abort test ends the wait for the reply block once the header came: the
// fake signals after sending the header, which then lies in the client's
// receive queue. The header wait asks the test after each of its reads (at
// most a peek and a read once the header is there), so the fourth call that
// sees the signal comes from the block wait.
TEST(VasTorvaneAdapterWaterLevel, AbortWhileTheBlockIsAwaited) {
  struct Signal {
    std::atomic<bool> headerSent{false};
    std::atomic<int> callsSince{0};
  };
  auto signal = std::make_shared<Signal>();
  FakeAnalysisServer server([signal](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request, 5000)) return;
    connection.Send(kOkHeader + "1234");
    signal->headerSent = true;
    connection.Hold();
  });
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  VasTorvaneAdapter adapter(*row);
  VasWaterLevelMask mask = TenBytes(false);
  ProcessLogCapture log;
  int error = 0;
  auto abort = [](void* context) {
    auto* s = static_cast<Signal*>(context);
    return s->headerSent.load() && ++s->callsSince >= 4;
  };
  EXPECT_EQ(adapter.GetWaterLevelMask(store.get(), row.get(), &mask, abort, signal.get(), &error), 0);
  EXPECT_EQ(error, kVasErrorNoBody);
  EXPECT_NE(log.Text().find("Receiving a response(1) for WaterLevel.cgi failed."), std::string::npos) << log.Text();
  EXPECT_EQ(mask.ReplyLength, -7);
  server.Stop();
}

TEST(VasTorvaneAdapterWaterLevel, UnreachableServerAndMissingAbortTest) {
  VasTestStore store;
  auto row = store.AddServer(1, ClosedPort());
  VasTorvaneAdapter adapter(*row);
  VasWaterLevelMask mask = TenBytes(false);
  ProcessLogCapture log;
  int error = 0;
  EXPECT_EQ(adapter.GetWaterLevelMask(store.get(), row.get(), &mask, NeverAbort, nullptr, &error), 0);
  EXPECT_EQ(error, kVasErrorNoConnection);
  EXPECT_NE(log.Text().find("Can't connect to VAS [127.0.0.1:"), std::string::npos) << log.Text();
  EXPECT_EQ(adapter.GetWaterLevelMask(store.get(), row.get(), &mask, nullptr, nullptr, &error), 0);
  EXPECT_EQ(error, kVasErrorBadArgument);
  // Data beyond what the block's length word may say is refused before any connection.
  mask.Data.assign(VasTorvaneAdapter::kMaxMaskBytes + 1, 'x');
  error = 0;
  EXPECT_EQ(adapter.GetWaterLevelMask(store.get(), row.get(), &mask, NeverAbort, nullptr, &error), 0);
  EXPECT_EQ(error, kVasErrorBadArgument);
}

}  // namespace
