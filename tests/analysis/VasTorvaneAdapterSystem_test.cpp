// The own-kind adapter's system, administrator and user requests against a
// fake own-kind server that records each request and answers as scripted.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <thread>

#include "VasConfigPeer.h"
#include "net/NetPeers.h"
#include "VasTestStore.h"
#include "analysis/VasServiceFactory.h"
#include "analysis/VasTorvaneAdapter.h"
#include "entities/PasswordCipher.h"
#include "entities/User.h"
#include "foundation/ProcessLogCapture.h"
#include "foundation/ZavDataBase.h"
#include "net/Sock.h"
#include "support/WaitUntil.h"

namespace {

// A record that keeps the store it was filled from.
class InfoRecord : public CZavDataBase {
 public:
  void FromCfg(const CXmlCfg& cfg) override {
    filled = true;
    version = cfg.GetValue("$System$$Information$$Version$");
  }
  void ToCfg(CXmlCfg&) const override {}
  bool filled = false;
  std::string version;
};

const std::string& kOk = kOkReply;

struct Call {
  std::function<int(VasTorvaneAdapter&, IDataStore*, CTBLVas*, int*)> run;
};

struct SystemRequestCase {
  const char* name;
  Call call;
  std::string reply;        // what the fake answers
  std::string requestLine;  // what it must have received
  std::string body;
  std::string authorization;
  int result;
  int error;
  const char* logged;  // a piece of the process log, or ""
};

const Call kAddAdmin{[](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e) { return a.AddAdmin(s, r, e); }};
const Call kDeleteAdmin{[](VasTorvaneAdapter& a, IDataStore*, CTBLVas* r, int* e) {
  return a.DeleteAdmin(r, e, "old", "oldpw");
}};
const Call kSetAdmin{[](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e) {
  return a.SetAdmin(s, r, e, "cur", "curpw", "new", "new<pw>");
}};
const Call kSetUsers{[](VasTorvaneAdapter& a, IDataStore* s, CTBLVas* r, int* e) { return a.SetUsers(s, r, e); }};

const std::string kAdminDoc = "<System>\r\n\t<Admin>\r\n\t\t<ID>admin</ID>\r\n\t\t<Password>secret</Password>\r\n"
                              "\t</Admin>\r\n</System>\r\n";
const std::string kNewAdminDoc = "<System>\r\n\t<Admin>\r\n\t\t<ID>new</ID>\r\n\t\t<Password>new&lt;pw&gt;</Password>"
                                 "\r\n\t</Admin>\r\n</System>\r\n";
const std::string kEmptyUsers = "<System>\r\n\t<User>\r\n\t</User>\r\n</System>\r\n";

// The adapter's store holds server 1 with the login admin/secret and Basic
// authentication (AuthType 2).
TEST(VasTorvaneAdapterSystem, RequestProcedureFollowsEachRule) {
  const std::string basicAdmin = "Basic YWRtaW46c2VjcmV0";  // admin:secret
  const SystemRequestCase cases[] = {
      {"add admin", kAddAdmin, kOk, "POST /system/admin.cgi?method=add HTTP/1.1", kAdminDoc, "", 1, 0, ""},
      {"add admin that is set already", kAddAdmin, Reply("HTTP/1.1 401 Unauthorized", ""),
       "POST /system/admin.cgi?method=add HTTP/1.1", kAdminDoc, "", 1, 0, ""},
      {"add admin refused", kAddAdmin, Reply("HTTP/1.1 500 Internal Server Error", "boom"),
       "POST /system/admin.cgi?method=add HTTP/1.1", kAdminDoc, "", 0, 500,
       "Error message received from vas. request xml is '<System>"},
      {"add admin with a Result code", kAddAdmin, Reply("HTTP/1.1 200 OK", "<Result><Code>403</Code></Result>"),
       "POST /system/admin.cgi?method=add HTTP/1.1", kAdminDoc, "", 0, 403, "the error is 'HTTP/1.1 200 OK"},
      {"delete admin logs in with its arguments", kDeleteAdmin, kOk,
       "POST /system/admin.cgi?method=delete HTTP/1.1", "", "Basic b2xkOm9sZHB3", 1, 0, ""},
      {"set admin logs in as current and sends the new", kSetAdmin, kOk,
       "POST /system/admin.cgi?method=modify HTTP/1.1", kNewAdminDoc, "Basic Y3VyOmN1cnB3", 1, 0, ""},
      {"set admin refused", kSetAdmin, Reply("HTTP/1.1 404 Not Found", ""),
       "POST /system/admin.cgi?method=modify HTTP/1.1", kNewAdminDoc, "Basic Y3VyOmN1cnB3", 0, 404,
       "Error message received from vas. the error is 'HTTP/1.1 404"},
      {"set users", kSetUsers, kOk, "POST /system/user.cgi?method=set HTTP/1.1", kEmptyUsers, basicAdmin, 1, 0, ""},
      {"set users answered 401 in a Result", kSetUsers,
       Reply("HTTP/1.1 200 OK", "<Result><Code>401</Code><Comment>denied</Comment></Result>"),
       "POST /system/user.cgi?method=set HTTP/1.1", kEmptyUsers, basicAdmin, 0, 401, "<Comment>denied</Comment>"},
      {"no reply at all", kSetUsers, "", "POST /system/user.cgi?method=set HTTP/1.1", kEmptyUsers, basicAdmin, 0,
       kVasErrorNoHeader, ""},
  };
  for (const SystemRequestCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    FakeAnalysisServer server(AnswerOnce(c.reply));
    VasTestStore store;
    auto row = store.AddServer(1, server.port());
    row->SetAuthType(2);
    VasTorvaneAdapter adapter(*row);
    int error = -1;
    EXPECT_EQ(c.call.run(adapter, store.get(), row.get(), &error), c.result);
    EXPECT_EQ(error, c.error);
    ASSERT_EQ(server.Requests().size(), 1u);
    const FakeRequest request = server.Requests()[0];
    EXPECT_EQ(request.requestLine, c.requestLine);
    EXPECT_EQ(request.body, c.body);
    EXPECT_EQ(request.Field("Authorization"), c.authorization);
    if (*c.logged) EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    EXPECT_EQ(server.Accepted(), 2);  // the connection test, then the request's own connection
  }
}

TEST(VasTorvaneAdapterSystem, UnreachableServerGetsNothing) {
  VasTestStore store;
  auto row = store.AddServer(1, ClosedPort());
  VasTorvaneAdapter adapter(*row);
  for (const Call* call : {&kAddAdmin, &kDeleteAdmin, &kSetAdmin, &kSetUsers}) {
    ProcessLogCapture log;
    int error = 0;
    EXPECT_EQ(call->run(adapter, store.get(), row.get(), &error), 0);
    EXPECT_EQ(error, kVasErrorCheckFailed);
    EXPECT_NE(log.Text().find("Error raised when try connect to vas."), std::string::npos) << log.Text();
  }
  InfoRecord info;
  int error = 0;
  EXPECT_EQ(adapter.GetSystemInformation(store.get(), row.get(), &info, &error), 0);
  EXPECT_EQ(error, kVasErrorNotSent);
  EXPECT_FALSE(info.filled);
}

TEST(VasTorvaneAdapterSystem, DeleteAdminOnPortZeroFailsWithoutTrying) {
  VasTestStore store;
  auto row = store.AddServer(1, 0);
  VasTorvaneAdapter adapter(*row);
  ProcessLogCapture log;
  int error = 0;
  EXPECT_EQ(adapter.DeleteAdmin(row.get(), &error, "id", "pw"), 0);
  EXPECT_EQ(error, kVasErrorCheckFailed);
  EXPECT_NE(log.Text().find("ERROR - [" + row->GetDisplayName() + "] Error raised when try connect to vas."),
            std::string::npos)
      << log.Text();
}

// The connection test passes, then the request's own connection cannot be
// made (here its TLS handshake fails): reported as 20006, never as error 0.
TEST(VasTorvaneAdapterSystem, ConnectionThatFailsAfterThePassedTestIsReported) {
  FakeAnalysisServer server([](FakeConnection& connection, int) { connection.Close(); });
  VasTestStore store;
  auto row = store.AddServer(1, server.port());
  row->SetUseSecure(1);
  VasTorvaneAdapter adapter(*row);
  ProcessLogCapture log;
  int error = 0;
  EXPECT_EQ(adapter.SetUsers(store.get(), row.get(), &error), 0);
  EXPECT_EQ(error, kVasErrorNoConnection);
  EXPECT_NE(log.Text().find("Error message received from vas."), std::string::npos) << log.Text();
  EXPECT_EQ(server.Accepted(), 2);
}

struct InfoCase {
  const char* name;
  std::string reply;
  int result;
  int error;
  const char* version;
};

TEST(VasTorvaneAdapterSystem, SystemInformationFillsTheRecord) {
  const InfoCase cases[] = {
      {"document", Reply("HTTP/1.1 200 OK", "<System><Information><Version>3.2.1</Version></Information></System>"),
       1, 0, "3.2.1"},
      {"empty body", Reply("HTTP/1.1 200 OK", ""), 0, kVasErrorNoContent, ""},
      {"no root element", Reply("HTTP/1.1 200 OK", "just text"), 0, kVasErrorBadXml, ""},
      {"refused", Reply("HTTP/1.1 403 Forbidden", "no"), 0, 403, ""},
  };
  for (const InfoCase& c : cases) {
    SCOPED_TRACE(c.name);
    FakeAnalysisServer server(AnswerOnce(c.reply));
    VasTestStore store;
    auto row = store.AddServer(1, server.port());
    row->SetAuthType(2);
    VasTorvaneAdapter adapter(*row);
    InfoRecord info;
    int error = -1;
    EXPECT_EQ(adapter.GetSystemInformation(store.get(), row.get(), &info, &error), c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(info.filled, c.result == 1);
    EXPECT_EQ(info.version, c.version);
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0].requestLine, "GET /system/information.cgi?method=get HTTP/1.1");
    EXPECT_EQ(server.Requests()[0].Field("Authorization"), "Basic YWRtaW46c2VjcmV0");
    EXPECT_EQ(server.Accepted(), 1);  // no connection test
  }
}

// A real HTTP server answering under Digest (MD5 and SHA-256) with a static
// system-information document; a wrong password gets its 401.
TEST(VasTorvaneAdapterSystem, SystemInformationUnderDigest) {
  const std::string document = "<System><Information><Version>4.0.7</Version></Information></System>";
  for (const char* algorithm : {"MD5", "SHA-256"}) {
    SCOPED_TRACE(algorithm);
    LighttpdDigestPeer peer;
    ASSERT_TRUE(peer.Start(algorithm, {{"system/information.cgi", document}}, "/system/"));
    VasTestStore store;
    for (const auto& [password, result, error] : {std::tuple("pw", 1, 0), std::tuple("wrong", 0, 401)}) {
      auto row = store.AddServer(password[0] == 'p' ? 1 : 2, peer.port(), 1, "user", password);
      row->SetAuthType(3);
      VasTorvaneAdapter adapter(*row);
      InfoRecord info;
      int code = -1;
      EXPECT_EQ(adapter.GetSystemInformation(store.get(), row.get(), &info, &code), result) << password;
      EXPECT_EQ(code, error) << password;
      EXPECT_EQ(info.version, result ? "4.0.7" : "") << password;
    }
  }
}

// Every user in key order with its plain password, setup flag and Meta 1;
// values are XML-escaped so that the document stays well-formed.
TEST(VasTorvaneAdapterSystem, UserListHoldsEveryUserInKeyOrder) {
  VasTestStore store;
  for (int no : {7, 2}) {
    auto user = std::make_unique<CTBLUser>();
    user->SetNo(no);
    user->SetId(no == 2 ? "kim" : "lee&co");
    user->SetSetup(no == 2);
    ASSERT_TRUE(store.get()->AddEntity(user.get(), 0));
    // A store's row keeps its password enciphered; the document sends it plain.
    auto cached = std::dynamic_pointer_cast<CTBLUser>(store.get()->FindCachedEntity("TBL_User", no));
    ASSERT_TRUE(cached);
    cached->SetPassword(StoredPassword(*cached, no == 2 ? "pw<2>" : "pw7"));
  }
  EXPECT_EQ(VasTorvaneAdapter::UserListDocument(store.get()),
            "<System>\r\n\t<User>\r\n"
            "\t\t<UserItem>\r\n\t\t\t<ID>kim</ID>\r\n\t\t\t<Password>pw&lt;2&gt;</Password>\r\n\t\t\t<Setup>1</Setup>\r\n"
            "\t\t\t<Meta>1</Meta>\r\n\t\t</UserItem>\r\n"
            "\t\t<UserItem>\r\n\t\t\t<ID>lee&amp;co</ID>\r\n\t\t\t<Password>pw7</Password>\r\n\t\t\t<Setup>0</Setup>\r\n"
            "\t\t\t<Meta>1</Meta>\r\n\t\t</UserItem>\r\n"
            "\t</User>\r\n</System>\r\n");
}

}  // namespace
