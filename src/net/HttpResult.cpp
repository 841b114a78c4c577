#include "net/HttpResult.h"

#include <stdlib.h>

#include "foundation/XmlCfg.h"
#include "net/SimpleHttpParser.h"

void CHttpResult::Parse(const std::string& reply) {
  CSimpleHttpParser parser(reply);
  code = parser.statusCode;
  comment = parser.reasonText;
  contentLength = parser.contentLength;
  body = parser.body;
  if (code == 0) {
    body = reply;
    contentLength = static_cast<int>(reply.size());
  } else if (contentLength <= 0) {
    return;
  }
  CXmlCfg document;
  if (!document.ToCfg(body)) return;
  long resultCode = atol(document.GetValue("$Result$$Code$").c_str());
  if (resultCode != 0) {
    code = static_cast<int>(resultCode);
    comment = document.GetValue("$Result$$Comment$");
  }
}
