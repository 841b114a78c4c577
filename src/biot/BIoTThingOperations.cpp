// The account, thing and event operations of CBIoTServiceAdapter: each builds
// its path, header block and body, runs one exchange and reads its keys.
#include <stdlib.h>

#include "biot/BIoTReply.h"
#include "biot/BIoTServiceAdapter.h"
#include "foundation/Digest.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// A value as it goes between the quotes of a body template: JSON-escaped
// ('"', '\' and control bytes), '/' and bytes from 0x80 up unchanged.
std::string Quoted(const std::string& value) { return JsonEscape(value, false); }

// The UTF-8 form of a body piece in the legacy code page: ASCII text is the
// same in both, so only a piece with other bytes goes through the converter
// (a thumbnail is ASCII and the largest piece by far).
std::string Utf8Of(const std::string& ansi) {
  for (unsigned char c : ansi) {
    if (c >= 0x80) return AnsiToUtf8(ansi);
  }
  return ansi;
}

const char kEventMsgId[] = "0a6edfcf-7ae0-11d3-d0bd-ba679f65571d";
const char kAttrsPath[] = "/v1.0/attrs";
const char kJsonContentType[] = "Content-Type:application/json\r\n";

}  // namespace

std::string CBIoTServiceAdapter::PlainHeaders() const { return "Authorization: UL " + info_.userToken + "\r\n"; }

std::string CBIoTServiceAdapter::BodyHeaders() const { return PlainHeaders() + kJsonContentType; }

int CBIoTServiceAdapter::CheckMessageStatus(const CBIoTReply& parsed) {
  std::string text;
  if (!CBIoTReply::GetText(parsed.Root(), "messageStatusCode", &text)) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"messageStatusCode\" key!!\n");
    return 0;
  }
  int code = static_cast<int>(atol(text.c_str()));
  if (code != 200) {
    ErrorStatus = kBIoTMessageStatus;
    HttpStatusCode = code;
    return 0;
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::CheckThingName(const CBIoTReply& parsed, const std::string& thingName,
                                        const char* failFormat) {
  std::string name;
  if (!CBIoTReply::GetText(parsed.Root(), "thingName", &name)) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"thingName\" key!!\n");
    return 0;
  }
  if (!StrEqualNoCase(name, thingName)) {
    ErrorStatus = kBIoTOtherThing;
    GATE_LOG(1, failFormat, parsed.Body().c_str());
    return 0;
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::GetUserLoginToken(CBIoTLoginResult* result) {
  std::string body = StrFormat("{\r\n\t\"userId\":\"%s\",\r\n\t\"userPassword\":\"%s\"\r\n}",
                               Quoted(info_.userID).c_str(), Sha256Hex(info_.password).c_str());
  body = Utf8Of(body);
  CBIoTReply parsed;
  if (!Exchange("POST", "/v1.1/main/action/itaUserLogin", std::string("X-CSRF-TOKEN: UL\r\n") + kJsonContentType,
                &body, &parsed)) {
    return 0;
  }
  const rapidjson::Value& root = parsed.Root();
  if (!CBIoTReply::GetText(root, "authToken", &result->authToken)) {
    GATE_LOG(1, "ERROR - Can't find \"authToken\" key!!\n");
  }
  if (!CBIoTReply::GetText(root, "customerId", &result->customerId)) {
    GATE_LOG(1, "ERROR - Can't find \"customerId\" key!!\n");
  }
  std::string success;
  if (CBIoTReply::GetText(root, "isLoginSuccess", &success)) {
    result->isLoginSuccess = StrEqualNoCase(success, "Y");
  } else {
    GATE_LOG(1, "ERROR - Can't find \"isLoginSuccess\" key!!\n");
  }
  if (!CBIoTReply::GetText(root, "userStateCode", &result->userStateCode)) {
    GATE_LOG(1, "ERROR - Can't find \"userStateCode\" key!!\n");
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::GetVideoGatewayAuthToken(const std::string& thingName, std::string* authCode) {
  std::string path = StrFormat("/v1.1/sites/%s/things/%s/module/mqtt/itaThingAuthCode?msgHeaderType=D",
                               info_.siteID.c_str(), thingName.c_str());
  CBIoTReply parsed;
  if (!Exchange("GET", path, PlainHeaders(), nullptr, &parsed)) return 0;
  if (!CBIoTReply::GetText(parsed.Root(), "authCode", authCode)) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"authCode\" object!!\n");
    return 0;
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::GetVideoGatewayList(std::vector<std::string>* names) {
  std::string path =
      StrFormat("/v1.0/sites/%s/thingNames?type=root&limit=%u&offset=%u", info_.siteID.c_str(), 10000u, 0u);
  CBIoTReply parsed;
  if (!Exchange("GET", path, PlainHeaders(), nullptr, &parsed)) return 0;
  const rapidjson::Value* list = CBIoTReply::GetArray(parsed.Root(), "thingNames");
  if (list == nullptr) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"thingNames\" object!!\n");
    return 0;
  }
  for (const rapidjson::Value& item : list->GetArray()) {
    if (!item.IsString()) continue;
    std::string name(item.GetString(), item.GetStringLength());
    if (name.compare(0, 9, "VIDEO_GW.") == 0) names->push_back(std::move(name));
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::AddVideoGateway(const CBIoTGatewayThing& thing) {
  std::string body = Utf8Of(StrFormat(
      "{\r\n\t\"activationStateCode\":\"%s\",\r\n\t\"modelName\":\"%s\",\r\n\t\"thingName\":\"%s\",\r\n\t"
      "\"thingNickName\":\"%s\",\r\n\t\"uniqueNum\":\"%s\"\r\n}\r\n",
      Quoted(thing.activationStateCode).c_str(), Quoted(thing.modelName).c_str(), Quoted(thing.thingName).c_str(),
      Quoted(thing.thingNickName).c_str(), Quoted(thing.uniqueNum).c_str()));
  CBIoTReply parsed;
  if (!Exchange("POST", StrFormat("/v1.0/sites/%s/things", info_.siteID.c_str()), BodyHeaders(), &body, &parsed)) {
    return 0;
  }
  return CheckThingName(parsed, thing.thingName,
                        "ERROR - Failed to add video gateway things. strRespContents = %s\r\n");
}

namespace {

// The attribute list of an update: {key, value} pairs, each a string.
std::string AttrsBody(const std::vector<std::pair<const char*, std::string>>& attrs) {
  std::string body = "{\r\n  \"attrs\": [\r\n";
  for (size_t i = 0; i < attrs.size(); ++i) {
    body += StrFormat(
        "    {\r\n      \"attrKey\": \"%s\",\r\n      \"attrType\": \"string\",\r\n      \"attrValue\": \"%s\"\r\n    }",
        attrs[i].first, attrs[i].second.c_str());
    body += i + 1 < attrs.size() ? ",\r\n" : "\r\n";
  }
  body += "  ]\r\n}\r\n";
  return Utf8Of(body);
}

}  // namespace

int CBIoTServiceAdapter::SetVideoGatewayAttr(const CBIoTGatewayThing& thing) {
  std::string body = AttrsBody({{"vms_media_server_url", Quoted(thing.vms_media_server_url)},
                                {"vms_site_name", Quoted(thing.vms_site_name)}});
  std::string path =
      StrFormat("/v1.0/sites/%s/things/%s/attrs?language=KR", info_.siteID.c_str(), thing.thingName.c_str());
  CBIoTReply parsed;
  if (!Exchange("POST", path, BodyHeaders(), &body, &parsed)) return 0;
  return CheckMessageStatus(parsed);
}

int CBIoTServiceAdapter::DeleteVideoGateway(const std::string& thingName) {
  std::string path = StrFormat("/v1.0/sites/%s/things/%s/relationInfo", info_.siteID.c_str(), thingName.c_str());
  CBIoTReply parsed;
  if (!Exchange("DELETE", path, PlainHeaders(), nullptr, &parsed)) return 0;
  if (CheckMessageStatus(parsed)) return 1;
  if (ErrorStatus == kBIoTMessageStatus) {
    GATE_LOG(1, "ERROR - Failed to delete video gateway thing [%s]. nStatusCode = %d\r\n", thingName.c_str(),
             HttpStatusCode);
  }
  return 0;
}

int CBIoTServiceAdapter::DeleteVideoGateway(const std::vector<std::string>& thingNames) {
  for (const std::string& name : thingNames) {
    if (!DeleteVideoGateway(name)) {
      GATE_LOG(1, "ERROR - DeleteVideoGateway(%s) failed.\r\n", name.c_str());
      return 0;
    }
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::GetVideoGatewayEdges(const std::string& gatewayName, std::vector<std::string>* edgeNames) {
  std::string path = StrFormat("/v1.0/sites/%s/things/%s/edges?offset=0&limit=10000&latestFirst=0",
                               info_.siteID.c_str(), gatewayName.c_str());
  CBIoTReply parsed;
  if (!Exchange("GET", path, PlainHeaders(), nullptr, &parsed)) return 0;
  if (const rapidjson::Value* things = CBIoTReply::GetArray(parsed.Root(), "things")) {
    for (const rapidjson::Value& thing : things->GetArray()) {
      std::string name;
      if (CBIoTReply::GetText(thing, "thingName", &name)) edgeNames->push_back(std::move(name));
    }
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::AddVideoGatewayEdge(const CBIoTEdgeThing& thing) {
  std::string body = Utf8Of(StrFormat(
      "{\r\n\t\"activationStateCode\":\"%s\",\r\n\t\"modelName\":\"%s\",\r\n\t\"parentThingName\":\"%s\",\r\n\t"
      "\"thingName\":\"%s\",\r\n\t\"thingNickName\":\"%s\",\r\n\t\"uniqueNum\":\"%s\"\r\n}\r\n",
      Quoted(thing.activationStateCode).c_str(), Quoted(thing.modelName).c_str(),
      Quoted(thing.parentThingName).c_str(), Quoted(thing.thingName).c_str(), Quoted(thing.thingNickName).c_str(),
      Quoted(thing.uniqueNum).c_str()));
  std::string path =
      StrFormat("/v1.0/sites/%s/topThings/%s/edges", info_.siteID.c_str(), thing.parentThingName.c_str());
  CBIoTReply parsed;
  if (!Exchange("POST", path, BodyHeaders(), &body, &parsed)) return 0;
  return CheckThingName(parsed, thing.thingName,
                        "ERROR - Failed to add video gateway edge things. strRespContents = %s\r\n");
}

int CBIoTServiceAdapter::SetVideoGatewayEdgeAttr(const CBIoTEdgeThing& thing) {
  // The current time is written whole: a 64-bit count does not wrap in 2038.
  const long long now = static_cast<long long>(time(nullptr));
  std::string body = AttrsBody({{"camera_channel_info", Quoted(thing.camera_channel_info)},
                                {"camera_site_name", Quoted(thing.cameraName)},
                                {"event_start_time", StrFormat("%lld", now)},
                                {"event_interval", "15"},
                                {"event_contents", Quoted(thing.cameraName)}});
  std::string path =
      StrFormat("/v1.0/sites/%s/things/%s/attrs?language=KR", info_.siteID.c_str(), thing.thingName.c_str());
  CBIoTReply parsed;
  if (!Exchange("POST", path, BodyHeaders(), &body, &parsed)) return 0;
  if (CheckMessageStatus(parsed)) return 1;
  if (ErrorStatus == kBIoTMessageStatus) {
    GATE_LOG(1, "ERROR - Failed to set an edge attrs [%s]. nStatusCode = %d\r\n", thing.thingName.c_str(),
             HttpStatusCode);
  }
  return 0;
}

int CBIoTServiceAdapter::DeleteVideoGatewayEdge(const std::string& gatewayName, const std::string& edgeName) {
  std::string path = StrFormat("/v1.0/sites/%s/topThings/%s/edges/%s", info_.siteID.c_str(), gatewayName.c_str(),
                               edgeName.c_str());
  CBIoTReply parsed;
  if (!Exchange("DELETE", path, PlainHeaders(), nullptr, &parsed)) return 0;
  if (CheckMessageStatus(parsed)) return 1;
  if (ErrorStatus == kBIoTMessageStatus) {
    GATE_LOG(1, "ERROR - Failed to delete edge thing [%s:%s]. nStatusCode = %d\r\n", gatewayName.c_str(),
             edgeName.c_str(), HttpStatusCode);
  }
  return 0;
}

int CBIoTServiceAdapter::DeleteVideoGatewayEdges(const std::string& gatewayName,
                                                 const std::vector<std::string>& edgeNames) {
  for (const std::string& name : edgeNames) {
    if (!DeleteVideoGatewayEdge(gatewayName, name)) {
      GATE_LOG(1, "ERROR - DeleteVideoGatewayEdge(%s) failed.\r\n", name.c_str());
      return 0;
    }
  }
  ErrorStatus = kBIoTOk;
  return 1;
}

std::string CBIoTServiceAdapter::MakeThingAuthTokenBody(const std::string& siteID, const std::string& gatewayName,
                                                        const std::string& authCode) {
  return Utf8Of(StrFormat(
      "{\r\n    \"version\":\"1.0\",\r\n    \"msgType\":\"Q\",\r\n    \"funcType\":\"002\",\r\n    \"sId\":\"%s\",\r\n"
      "    \"tpId\":\"%s\",\r\n    \"tId\":\"\",\r\n    \"data\":{ \"authCode\":\"%s\" },\r\n"
      "    \"dataFormat\":\"application/json\",\r\n    \"authToken\":\"\",\r\n    \"msgId\":\"%s\",\r\n"
      "    \"encType\":\"0\",\r\n    \"resCode\":\"\",\r\n    \"msgCode\":\"MSGAUTH00002\"\r\n}\r\n",
      Quoted(siteID).c_str(), Quoted(gatewayName).c_str(), Quoted(authCode).c_str(), kEventMsgId));
}

std::string CBIoTServiceAdapter::MakeNotifyEventBody(const CBIoTNotifyEventInfo& info) {
  // The thumbnail may be large: the body is put together piece by piece.
  std::string body = Utf8Of(StrFormat(
      "{\r\n    \"version\":\"1.0\",\r\n    \"Severity\":\"0\",\r\n    \"funcType\":\"021\",\r\n"
      "    \"msgType\":\"Q\",\r\n    \"msgCode\":\"Basic-AttrGroup\",\r\n    \"msgDate\":0,\r\n"
      "    \"dataFormat\":\"application/json\",\r\n    \"msgId\":\"%s\",\r\n    \"encType\":\"0\",\r\n"
      "    \"authToken\":\"%s\",\r\n    \"sId\":\"%s\",\r\n    \"tpId\":\"%s\",\r\n    \"tId\":\"%s\",\r\n"
      "    \"data\":{\r\n        \"event_name\":\"%s\",\r\n        \"event_start_time\":\"%lld\",\r\n"
      "        \"event_interval\":\"%d\",\r\n        \"event_image\":\"",
      kEventMsgId, Quoted(info.authToken).c_str(), Quoted(info.sId).c_str(), Quoted(info.tpId).c_str(),
      Quoted(info.tId).c_str(), Quoted(info.event_name).c_str(), static_cast<long long>(info.event_start_time),
      info.event_interval));
  body += Utf8Of(Quoted(info.event_image));
  body += "\",\r\n        \"event_contents\":\"";
  body += Utf8Of(Quoted(info.event_contents));
  body += "\" },\r\n    \"resMsg\":\"\",\r\n    \"resCode\":\"\"\r\n}\r\n";
  return body;
}

int CBIoTServiceAdapter::GetThingAuthToken(const std::string& gatewayName, const std::string& authCode,
                                           std::string* token) {
  std::string body = MakeThingAuthTokenBody(info_.siteID, gatewayName, authCode);
  CBIoTReply parsed;
  if (!Exchange("POST", kAttrsPath, kJsonContentType, &body, &parsed)) return 0;
  const rapidjson::Value* data = CBIoTReply::GetObject(parsed.Root(), "data");
  if (data == nullptr) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"data\" key!!\n");
    return 0;
  }
  std::string value;
  // An empty token would be cached and fail every later event of the
  // recording server: it counts as absent.
  if (!CBIoTReply::GetText(*data, "authToken", &value) || value.empty()) {
    ErrorStatus = kBIoTKeyMissing;
    GATE_LOG(1, "ERROR - Can't find \"authToken\" key!!\n");
    return 0;
  }
  *token = value;
  ErrorStatus = kBIoTOk;
  return 1;
}

int CBIoTServiceAdapter::NotifyEvent(const CBIoTNotifyEventInfo& info) {
  std::string body = MakeNotifyEventBody(info);
  CBIoTReply parsed;
  if (!Exchange("POST", kAttrsPath, kJsonContentType, &body, &parsed)) return 0;
  ErrorStatus = kBIoTOk;
  return 1;
}
