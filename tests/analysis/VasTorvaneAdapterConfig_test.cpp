// The request procedure of the own-kind adapter's port, device, region,
// line and face-data requests, one table of cases across the operations,
// against the fake own-kind server that records each request.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "VasConfigPeer.h"
#include "VasTestStore.h"
#include "analysis/VasTorvaneAdapter.h"
#include "foundation/ProcessLogCapture.h"

namespace {

using Run = std::function<int(VasTorvaneAdapter&, IDataStore*, CTBLVas*, int*, unsigned short serverPort)>;

struct Operation {
  const char* name;
  Run run;
  const char* requestLine;
  const char* failureLine;  // a piece of the log line of a refused request
};

const Operation kOperations[] = {
    {"ports",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short port) {
       return a.SetNetworkPorts(s, r, e, port);
     },
     "POST /network/port.cgi?method=set HTTP/1.1", "ERROR - Error raised when request message to 'TorvaneVAS["},
    {"devices",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) { return a.SetDevices(s, r, e); },
     "POST /camera/list.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
    {"management",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) {
       return a.SetManagementServer(s, r, e, "10.0.0.5", 9000);
     },
     "POST /manage/agent.cgi?method=set HTTP/1.1", "] Error raised while apply record period to zav. the error is '"},
    {"one device's regions",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) { return a.SetDeviceROI(s, r, e, 1); },
     "POST /analysis/roi.cgi?method=modify HTTP/1.1", "] Error raised when request message to vas"},
    {"every device's regions",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) { return a.SetDeviceAllROI(s, r, e); },
     "POST /analysis/roi.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
    {"lines",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) { return a.SetLineCross(s, r, e); },
     "POST /analysis/lc.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
    {"line groups",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) {
       return a.SetLineCrossGroup(s, r, e);
     },
     "POST /analysis/lc_group.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
    {"base counts",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) {
       return a.SetLineCrossBaseCount(s, r, nullptr, e);
     },
     "POST /analysis/lc_base.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
    {"count reset",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) {
       return a.SetLineCrossReset(s, r, 1, {}, e);
     },
     "POST /analysis/lc_base.cgi?method=modify HTTP/1.1", "] Error raised when request message to vas"},
    {"face data",
     [](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e, unsigned short) {
       return a.SetFRData(nullptr, s, r, e);
     },
     "POST /analysis/fr.cgi?method=set HTTP/1.1", "] Error raised when request message to vas"},
};

struct Outcome {
  const char* name;
  std::string reply;
  int result;
  int error;
};

// Every operation: the connection test, then one POST on a connection of its
// own with the adapter's Basic login; success only on code 200, whether it
// comes as the HTTP status or as a Result code; one log line on failure.
TEST(VasTorvaneAdapterConfig, EveryOperationFollowsTheRequestProcedure) {
  const Outcome outcomes[] = {
      {"accepted", kOkReply, 1, 0},
      {"refused by status", Reply("HTTP/1.1 500 Internal Server Error", "boom"), 0, 500},
      {"refused by Result code", Reply("HTTP/1.1 200 OK", "<Result><Code>403</Code></Result>"), 0, 403},
      {"no reply", "", 0, kVasErrorNoHeader},
  };
  for (const Operation& op : kOperations) {
    for (const Outcome& outcome : outcomes) {
      SCOPED_TRACE(std::string(op.name) + ", " + outcome.name);
      ProcessLogCapture log;
      FakeAnalysisServer server(AnswerOnce(outcome.reply));
      VasTestStore store;
      auto row = store.AddServer(1, server.port());
      row->SetAuthType(2);
      store.AddDevice(1, 1, 1);
      VasTorvaneAdapter adapter(*row);
      int error = -1;
      EXPECT_EQ(op.run(adapter, store.get(), row.get(), &error, server.port()), outcome.result);
      EXPECT_EQ(error, outcome.error);
      ASSERT_EQ(server.Requests().size(), 1u);
      EXPECT_EQ(server.Requests()[0].requestLine, op.requestLine);
      EXPECT_EQ(server.Requests()[0].Field("Authorization"), "Basic YWRtaW46c2VjcmV0");  // admin:secret
      EXPECT_EQ(server.Accepted(), 2);  // the connection test, then the request
      if (outcome.result == 0) {
        EXPECT_NE(log.Text().find(op.failureLine), std::string::npos) << log.Text();
      } else {
        EXPECT_EQ(log.Text().find("ERROR"), std::string::npos) << log.Text();
      }
    }
  }
}

// An unreachable server: 20005 from the connection test and nothing sent.
TEST(VasTorvaneAdapterConfig, UnreachableServerGetsNothing) {
  for (const Operation& op : kOperations) {
    SCOPED_TRACE(op.name);
    ProcessLogCapture log;
    const unsigned short closed = ClosedPort();
    VasTestStore store;
    auto row = store.AddServer(1, closed);
    store.AddDevice(1, 1, 1);
    VasTorvaneAdapter adapter(*row);
    int error = 0;
    EXPECT_EQ(op.run(adapter, store.get(), row.get(), &error, closed), 0);
    EXPECT_EQ(error, kVasErrorCheckFailed);
    EXPECT_NE(log.Text().find("Error raised when try connect to vas."), std::string::npos) << log.Text();
  }
}

// A row whose authentication type puts the login in the query: the id and
// password follow the method, percent-encoded, and no Authorization line goes.
TEST(VasTorvaneAdapterConfig, LoginInTheQueryIsEncoded) {
  FakeAnalysisServer server(AnswerOnce(kOkReply));
  VasTestStore store;
  auto row = store.AddServer(1, server.port(), 1, "ad min", "p&w\r\nX-Injected: 1");
  row->SetAuthType(1);
  VasTorvaneAdapter adapter(*row);
  int error = -1;
  EXPECT_EQ(adapter.SetDevices(store.get(), row.get(), &error), 1);
  EXPECT_EQ(error, 0);
  ASSERT_EQ(server.Requests().size(), 1u);
  const FakeRequest request = server.Requests()[0];
  EXPECT_EQ(request.requestLine,
            "POST /camera/list.cgi?method=set&id=ad+min&password=p%26w%0d%0aX-Injected%3a+1 HTTP/1.1");
  EXPECT_EQ(request.Field("Authorization"), "");
  EXPECT_EQ(request.Field("X-Injected"), "");
}

// The connection test passes, then the request's own connection cannot be
// made (its TLS handshake fails): 20006, never an error of 0.
TEST(VasTorvaneAdapterConfig, ConnectionThatFailsAfterThePassedTestIsReported) {
  FakeAnalysisServer server([](FakeConnection& connection, int) { connection.Close(); });
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  row->SetUseSecure(1);
  VasTorvaneAdapter adapter(*row);
  int error = 0;
  EXPECT_EQ(adapter.SetLineCross(store.get(), row.get(), &error), 0);
  EXPECT_EQ(error, kVasErrorNoConnection);
}

}  // namespace
