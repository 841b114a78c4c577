// CHttpPostTarget: where a job's bodies go, made from the job's target URL
// and login, and PostBodies, the one pass of a job's HTTP sender. The URL's
// path and query form the request path; its host and port (80 when it names
// none, also with TLS) the endpoint; TLS follows the job's switch, not the
// URL's scheme.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "net/HttpEndpoint.h"

class CServiceLog;

// LastErrorCode values of an HTTP post pass.
constexpr int kPostSucceeded = 0;
constexpr int kPostNoConnection = 4;
constexpr int kPostReplyNot200 = 5;

struct CHttpPostTarget {
  CHttpEndpoint endpoint{"", 80, "", "", 0, 0};
  std::string requestPath;  // the URL's path, then "?" and its query when it has one

  // `authMethod`: 1 Basic, 2 Digest, else credentials in the query.
  static CHttpPostTarget FromUrl(const std::string& url, const std::string& loginID, const std::string& password,
                                 int authMethod, bool useTls);
};

// Each time-out of one post (connect, write, reply), in seconds.
constexpr int kPostTimeoutSec = 5;

// Posts `bodies` in order, each only while `running()` answers true (a post
// that ends when `running()` has turned false counts as sent but sets no
// code: a stop cancels the post in flight through the endpoint). A post
// that makes no connection logs "ERROR - Error raised when post uri (<job>)"
// and ends the pass (the rest is dropped): kPostNoConnection. A reply whose
// status is not 200 logs its body (converted from UTF-8) and the pass goes
// on: kPostReplyNot200 unless a later post finds no connection. Otherwise
// kPostSucceeded. `sent`, when not null, gets the number of posts attempted.
// Blocks up to about 3 time-outs per body.
int PostBodies(const CHttpPostTarget& target, const std::vector<std::string>& bodies, int jobId,
               const std::function<bool()>& running, const CServiceLog& log, const char* operation,
               size_t* sent = nullptr);
