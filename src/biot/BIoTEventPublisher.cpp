#include "biot/BIoTEventPublisher.h"

#include <mutex>

#include "foundation/Log.h"

namespace {

// The process-wide auth codes, made on first use and kept to the end of the
// process (never destroyed, so a late sender thread finds them).
struct AuthCodes {
  std::mutex lock;
  std::map<int, std::string> codes;
};

AuthCodes& TheAuthCodes() {
  static AuthCodes* codes = new AuthCodes;
  return *codes;
}


}  // namespace

void CBIoTEventPublisher::SetZavAuthCodeMap(const std::map<int, std::string>& codes) {
  AuthCodes& shared = TheAuthCodes();
  std::lock_guard<std::mutex> hold(shared.lock);
  if (&codes != &shared.codes) shared.codes = codes;
}

std::map<int, std::string> CBIoTEventPublisher::GetZavAuthCodeMap() {
  AuthCodes& shared = TheAuthCodes();
  std::lock_guard<std::mutex> hold(shared.lock);
  return shared.codes;
}

std::string CBIoTEventPublisher::GetAuthToken(CBIoTServiceAdapter& adapter, int zavNo) {
  auto cached = tokens_.find(zavNo);
  if (cached != tokens_.end()) return cached->second;
  std::string code;
  {
    AuthCodes& shared = TheAuthCodes();
    std::lock_guard<std::mutex> hold(shared.lock);
    auto it = shared.codes.find(zavNo);
    if (it != shared.codes.end()) code = it->second;
  }
  if (code.empty()) {
    GATE_LOG(1, "ERROR - ZAV[%d] auth code not found.\r\n", zavNo);
    return std::string();
  }
  const std::string gateway = MakeGatewayThingName(zavNo);
  std::string token;
  if (!adapter.GetThingAuthToken(gateway, code, &token)) {
    GATE_LOG(1, "ERROR - GetVideoGatewayAuthToken failed. [%s]", gateway.c_str());
    return std::string();
  }
  tokens_[zavNo] = token;
  return token;
}

int CBIoTEventPublisher::CheckDuplicate(const CBIoTEventData& event) {
  std::map<int, int64_t>& times = eventTimes_[event.cameraId];
  auto it = times.find(event.intelligentEventId);
  if (it != times.end() && it->second > event.eventTime && it->second - event.eventTime <= duplicateWindow) {
    return 0;
  }
  times[event.intelligentEventId] = event.eventTime;
  return 1;
}

int CBIoTEventPublisher::NotifyEvent(const CBIoTEventData& event) {
  CBIoTServiceAdapter adapter(settings_);
  adapter.Info().userToken.clear();
  std::string token = GetAuthToken(adapter, event.zavNo);
  if (token.empty()) {
    GATE_LOG(1, "ERROR - GetAuthToken(%d) failed.\r\n", event.zavNo);
    return 0;
  }
  if (!CheckDuplicate(event)) return 1;

  CBIoTNotifyEventInfo info;
  info.sId = settings_.siteID;
  info.authToken = token;
  info.tpId = MakeGatewayThingName(event.zavNo);
  info.tId = MakeEdgeThingName(event.zavNo, event.zavChannel);
  info.event_name = event.eventName;
  info.event_interval = eventInterval;
  info.event_start_time = event.eventTime;
  info.event_contents = event.cameraName;
  info.event_image = event.eventImage;
  if (adapter.NotifyEvent(info)) return 1;

  if (adapter.ErrorStatus == kBIoTHttpStatus && adapter.HttpStatusCode == kBIoTTokenRefused) {
    // The thing token expired: one new token, one more try.
    adapter.CloseConnection();
    tokens_.erase(event.zavNo);
    token = GetAuthToken(adapter, event.zavNo);
    if (token.empty()) {
      GATE_LOG(1, "ERROR - Retried GetAuthToken() failed.");
      return 0;
    }
    info.authToken = token;
    if (adapter.NotifyEvent(info)) return 1;
    GATE_LOG(1, "ERROR - Retried NotifyEvent retryed failed. [ErrorStatus=%d, HttpStatusCode=%d]\r\n",
             adapter.ErrorStatus, adapter.HttpStatusCode);
    return 0;
  }
  GATE_LOG(1, "ERROR - NotifyEvent failed. [ErrorStatus=%d, HttpStatusCode=%d]\r\n", adapter.ErrorStatus,
           adapter.HttpStatusCode);
  return 0;
}
