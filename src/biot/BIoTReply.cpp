#include "biot/BIoTReply.h"

#include <string.h>

#include "analysis/JsonMembers.h"
#include "foundation/StringUtil.h"
#include "net/SimpleHttpParser.h"

namespace {

const rapidjson::Value* MemberNamed(const rapidjson::Value& object, const char* key) {
  return var_json::FindMember(object, key, strlen(key));
}

}  // namespace

int CBIoTReply::Evaluate(const std::string& replyText) {
  size_t end = replyText.find("\r\n\r\n");
  std::string header = end == std::string::npos ? replyText : replyText.substr(0, end + 4);
  CSimpleHttpParser parser(header);
  statusCode_ = parser.statusCode;
  if (statusCode_ != 200) return kBIoTReplyHttpStatus;
  // The body exactly as received; the parser's own body is rebuilt line by line.
  std::string raw = end == std::string::npos ? std::string() : replyText.substr(end + 4);
  body_ = Utf8ToAnsi(raw);
  if (!document_.Parse(body_.c_str())) return kBIoTReplyNotJson;
  return kBIoTReplyOk;
}

bool CBIoTReply::GetText(const rapidjson::Value& object, const char* key, std::string* text) {
  const rapidjson::Value* value = MemberNamed(object, key);
  if (value == nullptr || !value->IsString()) return false;
  text->assign(value->GetString(), value->GetStringLength());
  return true;
}

const rapidjson::Value* CBIoTReply::GetObject(const rapidjson::Value& object, const char* key) {
  const rapidjson::Value* value = MemberNamed(object, key);
  return value != nullptr && value->IsObject() ? value : nullptr;
}

const rapidjson::Value* CBIoTReply::GetArray(const rapidjson::Value& object, const char* key) {
  const rapidjson::Value* value = MemberNamed(object, key);
  return value != nullptr && value->IsArray() ? value : nullptr;
}
