#include "services/EventApiPages.h"

#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasIntelligentEvent.h"
#include "foundation/Log.h"
#include "services/AIEventPublisher.h"
#include "services/EventJsonBody.h"

namespace {

constexpr const char* kVasDeviceTable = "TBL_VasDevice";
constexpr const char* kCameraTable = "TBL_Camera";
constexpr const char* kEventTable = "TBL_VasIntelligentEvent";

// The login every page checks first: false after the "Unauthorized" line and the 401 reply.
bool LoggedIn(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters) {
  if (server.CheckLogin(parameters)) return true;
  GATE_LOG(1, "ERROR - [%s] Unauthorized.\r\n", request.clientAddress.c_str());
  CEventServer::SendEmptyResponse(request.socket, 401);
  return false;
}

// The frame of the list pages: the login, then the UTF-8 body of `build` in a 200 reply.
template <class Build>
int AnswerPage(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters, Build build) {
  if (LoggedIn(server, request, parameters)) CEventServer::SendJsonResponse(request.socket, 200, build());
  return 0;
}

}  // namespace

void CEventApiPages::Register(CEventServer& server) {
  server.RegisterCgi("va", "cctv_list.cgi", &OnVACCTVList);
  server.RegisterCgi("va", "event_list.cgi", &OnVAEventList);
  server.RegisterCgi("va", "event_status.cgi", &OnVAEventStatus);
}

std::vector<CEventApiPages::AnalysedCamera> CEventApiPages::ListAnalysedCameras(IDataStore& store) {
  std::vector<AnalysedCamera> cameras;
  for (const auto& [id, row] : store.GetCachedEntityList(kVasDeviceTable)) {
    auto* device = dynamic_cast<CTBLVasDevice*>(row.get());
    if (device == nullptr) continue;
    EntityPtr cameraRow = store.FindCachedEntity(kCameraTable, device->GetDeviceID());
    auto* camera = dynamic_cast<CTBLCamera*>(cameraRow.get());
    if (camera == nullptr) continue;
    cameras.push_back({device->GetVasDeviceID(), camera->GetNo(), camera->GetAddr()});
  }
  return cameras;
}

int CEventApiPages::OnVACCTVList(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters) {
  return AnswerPage(server, request, parameters, [&server] {
    CEventJsonBody body;
    if (auto store = server.GetStore().store) {
      store->UnloadEntityList(kVasDeviceTable);
      store->UnloadEntityList(kCameraTable);
      std::string prefix = server.GetSettings().cameraPrefix;
      for (const AnalysedCamera& camera : ListAnalysedCameras(*store)) {
        body.AddText(prefix, camera.cameraNo, camera.address);
      }
    }
    return body.Finish();
  });
}

int CEventApiPages::OnVAEventList(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters) {
  return AnswerPage(server, request, parameters, [&server] {
    CEventJsonBody body;
    if (auto store = server.GetStore().store) {
      store->UnloadEntityList(kEventTable);
      std::string prefix = server.GetSettings().eventPrefix;
      for (const auto& [id, row] : store->GetCachedEntityList(kEventTable)) {
        auto* event = dynamic_cast<CTBLVasIntelligentEvent*>(row.get());
        if (event != nullptr) body.AddText(prefix, event->GetVasIntelligentEventID(), event->GetName());
      }
    }
    return body.Finish();
  });
}

int CEventApiPages::OnVAEventStatus(CEventServer& server, const CCgiRequest& request,
                                    const CTokenList& parameters) {
  if (!LoggedIn(server, request, parameters)) return 0;
  std::shared_ptr<CAIEventPublisher> publisher = server.GetAIEventPublisher();
  if (publisher == nullptr) {
    GATE_LOG(1, "ERROR - [%s] AIEventPublisher is not ready.\r\n", request.clientAddress.c_str());
    CEventServer::SendEmptyResponse(request.socket, 500);
    return 0;
  }
  CEventServerSettings settings = server.GetSettings();
  std::vector<AnalysedCamera> cameras;
  if (auto store = server.GetStore().store) cameras = ListAnalysedCameras(*store);
  std::string body;
  if (settings.pollingStatusType == 2) {
    CActiveEventMap active = publisher->GetActiveEvents();
    CLastEventMap last = publisher->GetLastEvents();
    body = BuildLastEventJson(cameras, active, last, settings.cameraPrefix);
  } else {
    body = BuildActiveEventsJson(cameras, publisher->GetActiveEvents(), settings.cameraPrefix);
  }
  CEventServer::SendJsonResponse(request.socket, 200, body);
  return 0;
}

std::string CEventApiPages::BuildActiveEventsJson(const std::vector<AnalysedCamera>& cameras,
                                                  const CActiveEventMap& active, const std::string& prefix) {
  CEventJsonBody body;
  for (const AnalysedCamera& camera : cameras) {
    auto entry = active.find(camera.vasDeviceId);
    if (entry == active.end()) continue;
    std::vector<int> events;
    for (const auto& [eventId, state] : entry->second) {
      if (state.active) events.push_back(eventId);
    }
    if (!events.empty()) body.AddList(prefix, camera.cameraNo, events);
  }
  return body.Finish();
}

std::string CEventApiPages::BuildLastEventJson(const std::vector<AnalysedCamera>& cameras,
                                               const CActiveEventMap& active, const CLastEventMap& last,
                                               const std::string& prefix) {
  CEventJsonBody body;
  for (const AnalysedCamera& camera : cameras) {
    int value = 0;
    auto entry = active.find(camera.vasDeviceId);
    auto lastEvent = last.find(camera.vasDeviceId);
    if (entry != active.end() && lastEvent != last.end()) {
      auto state = entry->second.find(lastEvent->second);
      if (state != entry->second.end() && state->second.active) value = lastEvent->second;
    }
    body.AddNumber(prefix, camera.cameraNo, value);
  }
  return body.Finish();
}
