#include "net/SimpleHttpParser.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/HttpReply.h"
#include "net/HttpResult.h"

namespace {

TEST(SimpleHttpParser, SplitsRequestsAndReplies) {
  struct Case {
    std::string message;
    int method;
    std::string path;
    int status;
    std::string contentType;
    int contentLength;
    std::string body;
  } cases[] = {
      {"GET /va/cctv_list.cgi?x=1 HTTP/1.1\r\nContent-Type: text/xml\r\n\r\nabc", 1, "/va/cctv_list.cgi?x=1", 0,
       "text/xml", 0, "abc\n"},
      {"HTTP/1.1 401 Unauthorized\r\nContent-Length: 12\r\n\r\n", 0, "", 401, "", 12, ""},
      {"PUT /x HTTP/1.1\r\n\r\n", 0, "", 0, "", 0, ""},
      {"GET /a b HTTP/1.1\r\n\r\n", 1, "/a b", 0, "", 0, ""},
      {"GET /x\r\npost /y HTTP/1.0\r\n\r\n", 2, "/y", 0, "", 0, ""},
      {"POST /p HTTP/1.1\nContent-Length : 5\n\nbody", 2, "/p", 0, "", 0, ""},
      {"POST /p HTTP/1.1\r\ncontent-length: 7\r\n\r\na\r\n\r\nb", 2, "/p", 0, "", 7, "a\r\n\r\nb\n"},
      {"POST /p HTTP/1.1\ncontent-length: 7\n\r\na\n\nb", 2, "/p", 0, "", 7, "a\nb\n"},
      {"", 0, "", 0, "", 0, ""},
  };
  for (const Case& c : cases) {
    CSimpleHttpParser parser(c.message);
    EXPECT_EQ(parser.method, c.method) << c.message;
    EXPECT_EQ(parser.path, c.path) << c.message;
    EXPECT_EQ(parser.statusCode, c.status) << c.message;
    EXPECT_EQ(parser.reasonText, "") << c.message;
    EXPECT_EQ(parser.contentType, c.contentType) << c.message;
    EXPECT_EQ(parser.contentLength, c.contentLength) << c.message;
    EXPECT_EQ(parser.GetBody(), c.body) << c.message;
  }
  EXPECT_EQ(CSimpleHttpParser("GET / HTTP/1.1\r\n\r\n").GetMethod(), "GET");
  EXPECT_EQ(HttpMethodText(2), "POST");
  EXPECT_EQ(HttpMethodText(7), "");
}

TEST(SimpleHttpParser, ReadsAuthorizationAndForwardedListWithColonsKept) {
  CSimpleHttpParser parser(
      "GET /a HTTP/1.1\r\nX-Forwarded-For: 10.0.0.1, 10.0.0.2\r\n"
      "Authorization: Digest username=\"u\", uri=\"/a?t=12:30\"\r\nHost: h:8080\r\n\r\n");
  EXPECT_EQ(parser.forwarded, (std::vector<std::string>{"10.0.0.1", " 10.0.0.2"}));
  EXPECT_EQ(parser.authorization, "Digest username=\"u\", uri=\"/a?t=12:30\"");
}

TEST(HttpReply, StatusLinesAndResultDocument) {
  EXPECT_EQ(CHttpReply(401).GetStatusLine(), "401 Unauthorized");
  EXPECT_EQ(CHttpReply(418).GetStatusLine(), "418 ");
  EXPECT_EQ(CHttpReply(503).GetStatusText(), "Service Unavailable");
  EXPECT_EQ(CHttpReply(404).ToXml(), "<Result>\r\n\t<Code>404</Code>\r\n\t<Comment>Not Found</Comment>\r\n</Result>");
  CHttpReply reply(200);
  reply.extras["Zeta"] = "a<b & \"c\"";
  reply.extras["Alpha"] = "1";
  EXPECT_EQ(reply.ToXml(),
            "<Result>\r\n\t<Code>200</Code>\r\n\t<Comment>OK</Comment>\r\n\t<Alpha>1</Alpha>\r\n"
            "\t<Zeta>a&lt;b &amp; \"c\"</Zeta>\r\n</Result>");
}

TEST(HttpResult, TakesTheResultDocumentOfSizedReplies) {
  auto sized = [](const std::string& status, const std::string& body) {
    return "HTTP/1.1 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  };
  std::string code0 = "<Result>\r\n\t<Code>0</Code>\r\n\t<Comment>fine</Comment>\r\n</Result>";
  std::string code1 = "<Result>\r\n\t<Code>1</Code>\r\n\t<Comment>a &amp; b</Comment>\r\n</Result>";
  struct Case {
    std::string text;
    int code;
    std::string comment;
  } cases[] = {
      {sized("200 OK", code0), 200, ""},
      {sized("200 OK", code1), 1, "a & b"},
      {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + code1, 200, ""},
      {code1, 1, "a & b"},
      {"garbage", 0, ""},
      {sized("500 Internal Server Error", "<not xml"), 500, ""},
  };
  for (const Case& c : cases) {
    CHttpResult result(c.text);
    EXPECT_EQ(result.code, c.code) << c.text;
    EXPECT_EQ(result.comment, c.comment) << c.text;
  }
  CHttpResult bare(code1);
  EXPECT_EQ(bare.body, code1);
  EXPECT_EQ(bare.contentLength, static_cast<int>(code1.size()));
}

}  // namespace
