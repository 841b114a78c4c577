#include "services/HttpPostTarget.h"

#include "foundation/StringUtil.h"
#include "net/SimpleHttpParser.h"
#include "net/UrlFormatter.h"
#include "services/ServiceLog.h"

CHttpPostTarget CHttpPostTarget::FromUrl(const std::string& url, const std::string& loginID,
                                         const std::string& password, int authMethod, bool useTls) {
  CUrlFormatter formatter;
  formatter.SetUrl(url);
  CHttpPostTarget target;
  // A URL without a path posts to "/": an empty request target is no HTTP.
  target.requestPath = formatter.GetPath().empty() ? "/" : formatter.GetPath();
  if (formatter.GetParamCount() > 0) target.requestPath += "?" + formatter.GetQuery();
  int port = formatter.GetPort() != 0 ? formatter.GetPort() : 80;
  target.endpoint = CHttpEndpoint(formatter.GetHost(), port, loginID, password, authMethod, useTls ? 1 : 0);
  return target;
}

int PostBodies(const CHttpPostTarget& target, const std::vector<std::string>& bodies, int jobId,
               const std::function<bool()>& running, const CServiceLog& log, const char* operation,
               size_t* sent) {
  int code = kPostSucceeded;
  size_t posts = 0;
  for (const std::string& body : bodies) {
    if (!running()) break;
    std::string reply;
    ++posts;
    bool connected = target.endpoint.Post(target.requestPath, body, &reply, kPostTimeoutSec);
    if (!running()) break;  // cut short by a stop: the pass ends as if stopped before this post
    if (!connected) {
      SERVICE_LOG(log, operation, "ERROR - Error raised when post uri (%d)\r\n", jobId);
      code = kPostNoConnection;
      break;
    }
    CSimpleHttpParser parser(reply);
    if (parser.statusCode != 200) {
      code = kPostReplyNot200;
      SERVICE_LOG(log, operation, "ERROR - Error raised when post uri (Response error return : %d (%s)) (%d)\r\n",
                  parser.statusCode, Utf8ToAnsi(parser.GetBody()).c_str(), jobId);
    }
  }
  if (sent) *sent = posts;
  return code;
}
