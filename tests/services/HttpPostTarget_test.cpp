// What a job's sender puts on the wire, seen by the python target, and the
// body encoding checked against openssl as the receivers decipher it.
#include "services/HttpPostTarget.h"

#include <gtest/gtest.h>
#include <stdio.h>

#include "foundation/Base64.h"
#include "services/ServiceLog.h"
#include "services/ServiceSettings.h"
#include "ServiceFixture.h"

namespace {

class HttpPostTargetTest : public ServiceFixture {};

const CServiceLog kLog("HttpPostTargetTest", "CTest");

TEST_F(HttpPostTargetTest, RequestCarriesPathQueryLoginAndTheBodyFollowedByAnEmptyLine) {
  StartTarget();
  target_.SetReply("in", "HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n");
  struct Case {
    int authMethod;
    const char* query;        // in the URL
    const char* expectTarget; // request line target
    const char* expectAuth;   // a header line, or ""
  };
  const Case cases[] = {
      {1, "?site=a%20b&k=1", "POST /r/in?site=a+b&k=1 HTTP/1.1\r\n", "Authorization: Basic dXNlcjpwdw==\r\n"},
      {0, "", "POST /r/in?id=user&password=pw HTTP/1.1\r\n", ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.authMethod);
    CHttpPostTarget target = CHttpPostTarget::FromUrl(TargetUrl(std::string("/r/in") + c.query), "user", "pw",
                                                      c.authMethod, false);
    EXPECT_EQ(PostBodies(target, {"[{\"A\":\"\\/\"}]"}, 3, [] { return true; }, kLog, "OnSend"), kPostSucceeded);
    std::string request = target_.Request(++n);
    EXPECT_EQ(request.substr(0, request.find("\r\n") + 2), c.expectTarget);
    if (*c.expectAuth) {
      EXPECT_NE(request.find(c.expectAuth), std::string::npos) << request;
    } else {
      EXPECT_EQ(request.find("Authorization:"), std::string::npos) << request;
    }
    // The length counts the body and the empty line after it.
    EXPECT_NE(request.find("Content-Length: 16\r\n"), std::string::npos) << request;
    EXPECT_EQ(BodyOf(request), "[{\"A\":\"\\/\"}]\r\n\r\n");
  }
}

TEST_F(HttpPostTargetTest, PortComesFromTheUrlOrIsEightyAndTlsOnlyFromTheJob) {
  struct Case {
    const char* url;
    bool tls;
    int port;
    const char* path;
  };
  const Case cases[] = {
      {"http://10.1.2.3/a/b", true, 80, "/a/b"},
      {"https://10.1.2.3/a", false, 80, "/a"},
      {"http://10.1.2.3:8443/a?x=1", true, 8443, "/a?x=1"},
      {"http://10.1.2.3:8080", false, 8080, "/"},
  };
  for (const Case& c : cases) {
    CHttpPostTarget target = CHttpPostTarget::FromUrl(c.url, "", "", 0, c.tls);
    EXPECT_EQ(target.endpoint.host, "10.1.2.3") << c.url;
    EXPECT_EQ(target.endpoint.port, c.port) << c.url;
    EXPECT_EQ(target.endpoint.tls, c.tls ? 1 : 0) << c.url;
    EXPECT_EQ(target.requestPath, c.path) << c.url;
  }
}

// openssl's reading of an enciphered body.
std::string OpensslDecipher(const std::string& body, const std::string& keyHex, const std::string& folder) {
  std::string in = folder + "/body.txt";
  if (!WriteTestFile(in, body)) return "<no file>";
  std::string command = "openssl enc -d -aes-128-cbc -K " + keyHex + " -iv " + keyHex + " -base64 -A -in " + in;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return "<no openssl>";
  std::string out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

TEST_F(HttpPostTargetTest, BodyIsUtf8AndWithEncryptionOpensslGivesTheTextBack) {
  // "\xB0\xA1" is one Hangul syllable in the legacy code page, EA B0 80 in UTF-8.
  const std::string json = "[{\"EVT_NM\":\"\xB0\xA1 \\/x\"}]";
  const std::string utf8 = "[{\"EVT_NM\":\"\xEA\xB0\x80 \\/x\"}]";
  struct Case {
    bool encrypt;
    std::string key;
    std::string keyHex;  // what openssl is given
  };
  const Case cases[] = {
      {false, "", ""},
      {true, "Wr7Hq2xcB9sLm5Dv", "57723748713278634239734c6d354476"},
      {true, "Wr7Hq2xcB9sLm5DvEXTRA", "57723748713278634239734c6d354476"},
      // A key shorter than 16 bytes is zero-padded, never read past its end.
      {true, "abc", "61626300000000000000000000000000"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    CServiceSettings settings;
    settings.encryptContents = c.encrypt;
    settings.encryptKey = c.key;
    std::string body = EncodeEventBody(json, settings);
    if (!c.encrypt) {
      EXPECT_EQ(body, utf8);
      continue;
    }
    std::string raw;
    EXPECT_GT(Base64Decode(body, &raw), 0);
    EXPECT_EQ(raw.size() % 16, 0u);
    EXPECT_EQ(OpensslDecipher(body, c.keyHex, dir_.path()), utf8);
  }
}

}  // namespace
