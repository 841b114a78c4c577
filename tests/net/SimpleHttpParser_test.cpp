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

  // A later list replaces an earlier one; a crafted long list keeps its first entries only.
  std::string list;
  for (int i = 0; i < 1000; ++i) list += "10.0." + std::to_string(i / 250) + "." + std::to_string(i % 250) + ",";
  CSimpleHttpParser listed("GET /a HTTP/1.1\r\nX-Forwarded-For: 1.1.1.1\r\nx-forwarded-for: ,," + list +
                           "\r\n\r\n");
  ASSERT_EQ(listed.forwarded.size(), CSimpleHttpParser::kMaxForwarded);
  EXPECT_EQ(listed.forwarded.front(), "10.0.0.0");
  EXPECT_EQ(listed.forwarded.back(), "10.0.0.63");
}

// Lines may end in LF or CR LF, come in runs of empty lines, or be a
// message's only bytes: each part is taken as the line reader takes it.
TEST(SimpleHttpParser, LineShapesOfHeadersAndBodies) {
  struct Case {
    std::string message;
    std::string path;
    std::string contentType;
    std::string body;
  } cases[] = {
      {"\n\n\nGET  /x   HTTP/1.1\n\n\nContent-Type: a\n\r\n\n\nb\n\n\nc", "/x", "a", "b\nc\n"},
      {"GET /x HTTP/1.1\r\n  Content-Type :  a\r\nContent-Type:\t b \r\n\r\n" + std::string(5000, '\n') + "z",
       "/x", "b", "z\n"},
      {"GET /x HTTP/1.1\r\n:v\r\nnocolon\r\nContent-Type:\r\n\r\n\r\r\n", "/x", "", "\r\r\n"},
      {"GET /x HTTP/1.1", "/x", "", ""},
      {std::string(3000, '\n'), "", "", ""},
      // Names as long as the ones read, a line of blanks ending the header.
      {"GET /x HTTP/1.1\r\nX-Some-Header: q\r\nContent-Typo: r\r\nContent-Type: a\r\n \t \r\nb", "/x", "a", "b\n"},
      {"GET /x HTTP/1.1\r\nContent-Type: application/json; charset=utf-8\r\n\r\nb", "/x",
       "application/json; charset=utf-8", "b\n"},
      {"GET /x HTTP/1.1\r\nContent-Type: a", "/x", "a", ""},
      {"GET /x HTTP/1.1\r\nContent-Type a\r\n: b\r\n\r\n", "/x", "", ""},
  };
  for (const Case& c : cases) {
    CSimpleHttpParser parser(c.message);
    EXPECT_EQ(parser.path, c.path) << c.message.substr(0, 80);
    EXPECT_EQ(parser.contentType, c.contentType) << c.message.substr(0, 80);
    EXPECT_EQ(parser.body, c.body) << c.message.substr(0, 80);
  }
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
