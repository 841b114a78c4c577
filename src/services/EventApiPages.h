// CEventApiPages: the event server's three pages of category "va", each run
// on an HTTP worker, several at once, holding no lock of the server:
// - cctv_list.cgi: the analysed cameras with their addresses (TBL_VasDevice
//   and TBL_Camera read fresh from the database on every request);
// - event_list.cgi: the intelligent event types with their names
//   (TBL_VasIntelligentEvent read fresh);
// - event_status.cgi: per analysed camera its active events (status type
//   other than 2) or its last event while active (type 2), from copies of the
//   AI event publisher's maps and the cached device and camera tables.
// Each page checks the login first (401 with only a status line when
// refused), answers with a JSON body and returns 0 (the connection closes).
#pragma once

#include <string>
#include <vector>

#include "services/ActiveEventTable.h"
#include "services/EventServer.h"

class IDataStore;

class CEventApiPages {
 public:
  // Registers the three pages with the server under "va".
  static void Register(CEventServer& server);

  static int OnVACCTVList(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters);
  static int OnVAEventList(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters);
  static int OnVAEventStatus(CEventServer& server, const CCgiRequest& request, const CTokenList& parameters);

  // One TBL_VasDevice row whose camera row exists, in VasDeviceID order.
  struct AnalysedCamera {
    int vasDeviceId = 0;
    int cameraNo = 0;
    std::string address;
  };
  // The cached device rows with their cameras (devices without one skipped).
  static std::vector<AnalysedCamera> ListAnalysedCameras(IDataStore& store);
  // Cameras with at least one active event: "<prefix><no>": [ids ascending].
  static std::string BuildActiveEventsJson(const std::vector<AnalysedCamera>& cameras,
                                           const CActiveEventMap& active, const std::string& prefix);
  // Every camera: "<prefix><no>": its last event while that is active, else 0.
  static std::string BuildLastEventJson(const std::vector<AnalysedCamera>& cameras, const CActiveEventMap& active,
                                        const CLastEventMap& last, const std::string& prefix);
};
