// VasTorvaneAdapter: the server's web ports, its camera list and its
// management agent.
#include "analysis/VasTorvaneAdapter.h"
#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/NRS.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"
#include "foundation/HostAddress.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

// The stream protocol's name and the recorder's port for it: 1 RTSP, 2 HTTP,
// 3 HTTPS; any other value "" and 0.
void StreamOf(int protocol, const CTBLNRS& recorder, const char** name, int* port) {
  switch (protocol) {
    case 1:
      *name = "RTSP";
      *port = recorder.GetRtspPort();
      return;
    case 2:
      *name = "HTTP";
      *port = recorder.GetWebPort();
      return;
    case 3:
      *name = "HTTPS";
      *port = recorder.GetSecureWebPort();
      return;
    default:
      *name = "";
      *port = 0;
  }
}

// The camera-list item of `device`, or "" when its camera or the camera's
// recorder is not cached.
std::string CameraListItem(IDataStore* store, const CTBLVas& row, const CTBLVasDevice& device,
                           const std::string& loginId, const std::string& loginPassword) {
  auto camera = std::dynamic_pointer_cast<CTBLCamera>(store->FindCachedEntity("TBL_Camera", device.GetDeviceID()));
  if (!camera) return std::string();
  std::shared_ptr<CTBLNRS> recorder = camera->GetZav();
  if (!recorder) return std::string();
  // The server pulls the stream from the recorder: a recorder on this machine
  // is named by this machine's address toward the server.
  std::string address = recorder->GetAddr();
  std::string local;
  if (IsLocalAddress(address.c_str()) && GetLocalAddressForHost(&local, row.GetAddress().c_str())) address = local;
  const char* protocol = "";
  int streamPort = 0;
  StreamOf(device.GetProtocol(), *recorder, &protocol, &streamPort);
  return StrFormat(
      "\t\t<CameraListItem>\r\n\t\t\t<Channel>%d</Channel>\r\n\t\t\t<Enable>%d</Enable>\r\n"
      "\t\t\t<Address>%s</Address>\r\n\t\t\t<ID>%s</ID>\r\n\t\t\t<Password>%s</Password>\r\n"
      "\t\t\t<StreamProtocol>%s</StreamProtocol>\r\n\t\t\t<StreamAddress>%d/stream%d</StreamAddress>\r\n"
      "\t\t\t<StreamPort>%d</StreamPort>\r\n\t\t\t<NetworkSize>%s</NetworkSize>\r\n"
      "\t\t\t<ProcessFps>%d</ProcessFps>\r\n\t\t\t<LPREnable>%d</LPREnable>\r\n\t\t\t<FREnable>%d</FREnable>\r\n"
      "\t\t\t<LPRSiteID></LPRSiteID>\r\n\t\t\t<LPRCarLine></LPRCarLine>\r\n"
      "\t\t\t<FTPServerNumber></FTPServerNumber>\r\n\t\t</CameraListItem>\r\n",
      device.GetChannelNo(), device.GetEnable() ? 1 : 0, XmlEscape(address).c_str(), XmlEscape(loginId).c_str(),
      XmlEscape(loginPassword).c_str(), protocol, camera->GetZavChannel(), device.GetStreamType() ? 2 : 1, streamPort,
      device.GetAnalysisNetworkSize() == 1 ? "Large" : "Normal", device.GetAnalysisFps(), device.GetUseLPR(),
      device.GetUseFR());
}

}  // namespace

int VasTorvaneAdapter::SetNetworkPorts(IDataStore* /*store*/, CTBLVas* row, int* error, uint16_t requestPort) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), requestPort, error)) return 0;
  const std::string document =
      StrFormat("<Network>\r\n\t<Port>\r\n\t\t<HTTP>%d</HTTP>\r\n\t\t<HTTPS>%d</HTTPS>\r\n\t</Port>\r\n</Network>\r\n",
                row->GetWebPort(), row->GetSecureWebPort());
  std::string reply;
  // Port 0 cannot pass the test above, so ConfigRequest never takes it for "the adapter's".
  int failure = ConfigRequest(row, "/network/port.cgi?method=set", &document, loginId_, loginPassword_,
                              row->GetHttpAuthMode(), &reply, requestPort);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - Error raised when request message to '%s' vas\r\n", row->GetDisplayName().c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::SetDevices(IDataStore* store, CTBLVas* row, int* error) {
  Succeed(error);
  if (!row || !store) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string document = "<Camera>\r\n\t<CameraList>\r\n";
  for (const auto& [key, entity] : row->GetVasDevices()) {
    auto* device = dynamic_cast<CTBLVasDevice*>(entity.get());
    if (device) document += CameraListItem(store, *row, *device, loginId_, loginPassword_);
  }
  document += "\t</CameraList>\r\n</Camera>\r\n";
  return SendConfigDocument(row, error, "/camera/list.cgi?method=set", document);
}

int VasTorvaneAdapter::SetManagementServer(IDataStore* /*store*/, CTBLVas* row, int* error, std::string address,
                                           int port) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  const std::string document = StrFormat(
      "<Manage>\r\n\t<Agent>\r\n\t\t<Enable>1</Enable>\r\n\t\t<Address>%s</Address>\r\n\t\t<Port>%d</Port>\r\n"
      "\t</Agent>\r\n</Manage>\r\n",
      XmlEscape(address).c_str(), port);
  std::string reply;
  int failure = ConfigRequest(row, "/manage/agent.cgi?method=set", &document, loginId_, loginPassword_,
                              row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error raised while apply record period to zav. the error is '%s'\r\n",
           row->GetDisplayName().c_str(), reply.c_str());
  return Fail(error, failure);
}
