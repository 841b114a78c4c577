// What the own-kind adapter's configuration tests share: scripted replies of
// the fake own-kind server, a session that answers each request once, and a
// loopback port on which nothing listens.
#pragma once

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "FakeAnalysisServer.h"
#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/Vas.h"
#include "net/Sock.h"

// A loopback port on which nothing listens.
inline unsigned short ClosedPort() {
  SOCKET s = sock::Listen(0, htonl(INADDR_LOOPBACK));
  unsigned short port = sock::GetLocalPort(s);
  close(s);
  return port;
}

// A whole reply: the status line, its length, Connection: close, the body.
inline std::string Reply(const std::string& statusLine, const std::string& body) {
  return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The fake's session: each connection that sends a request gets `reply`
// and is closed (the connection test's connection sends nothing).
inline FakeAnalysisServer::Session AnswerOnce(const std::string& reply) {
  return [reply](FakeConnection& connection, int) {
    FakeRequest request;
    if (!connection.ReadRequest(&request, 5000)) return;
    connection.Send(reply);
    connection.Close();
  };
}

inline const std::string kOkReply = Reply("HTTP/1.1 200 OK", "<Result><Code>200</Code></Result>");

// Runs `call` on an adapter of `row` against `server`, which must accept it;
// returns the one body the server received.
inline std::string SentBody(const CTBLVas& row, FakeAnalysisServer& server,
                            const std::function<int(VasTorvaneAdapter&, int*)>& call) {
  VasTorvaneAdapter adapter(row);
  int error = -1;
  EXPECT_EQ(call(adapter, &error), 1);
  EXPECT_EQ(error, 0);
  std::vector<FakeRequest> requests = server.Requests();
  EXPECT_EQ(requests.size(), 1u);
  return requests.empty() ? std::string() : requests[0].body;
}
