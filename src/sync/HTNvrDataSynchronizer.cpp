#include "sync/HTNvrDataSynchronizer.h"

#include <set>

#include "database/client/ClientDataStore.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"
#include "entities/User.h"
#include "entities/UserPermission.h"
#include "foundation/StringUtil.h"
#include "net/Sock.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "sync/SyncDatabase.h"
#include "sync/SyncRunStatus.h"
#include "sync/TorvaneDataAdapter.h"

namespace {

constexpr int kConnectTimeoutMs = 3000;
constexpr int kCameraPermission = 3000;

enum HTNvrSyncCode {
  kHTOk = 0,
  kHTDatabaseUnreachable = 1,
  kHTNoConnection = 2,
  kHTLoginRefused = 3,
  kHTListFailed = 4,
  kHTWriteFailed = 5,
};

CEventServiceConfig HTNvrDataSynchronizerConfig() {
  CEventServiceConfig config;
  config.sourceFile = "HTNvrDataSynchronizer";
  config.className = "CHTNvrDataSynchronizer";
  config.mainTaskName = "OnDataSynchronizeMain";
  config.senderTaskName = "OnDataSynchronize";
  config.statusFilePattern = "HTNvrDataSync_*.dat";
  config.mainPoolName = "MAIN_HTNVR_DATA_SYNCHRONIZER";
  config.mainPoolWorkers = 1;
  config.senderPoolName = "HTNVR_DATA_SYNCHRONIZER";
  config.senderPoolWorkers = 1;
  config.mainDelayMs = 1000;
  config.mainFailureDelayMs = 1000;
  return config;
}

// The new camera row of NVR channel `channel` (`sub_channel` channel + 1).
std::unique_ptr<CTBLCamera> NewCamera(const CHTNvrDataSynchronizerItem& job, CClientDataStore& store,
                                      const CHTCameraInfo& info, int channel, int order) {
  auto camera = std::make_unique<CTBLCamera>();
  camera->SetDataStore(&store);  // the password setter asks the store whether to encipher
  const int sub = channel + 1;
  camera->SetEnable(1);
  camera->SetModelType("SNR-64600S");
  camera->SetDeviceType("Video Server");
  camera->SetName(info.Name);
  camera->SetVendor("HitronSystems");
  camera->SetModelName("SNR-64600S");
  camera->SetZavNo(0);
  camera->SetZavChannel(0);
  camera->SetAddr(job.GetTargetAddress());
  camera->SetId(job.GetTargetLoginID());
  camera->SetPassword(job.GetTargetPasswordPlain());
  camera->SetWebPort(80);
  camera->SetServicePort(job.GetTargetPort());
  camera->SetStream1Url(StrFormat("%d/stream1", sub));
  camera->SetStream1Port(554);
  camera->SetStream2Url(StrFormat("%d/stream2", sub));
  camera->SetStream2Port(554);
  camera->SetHighResUrl(StrFormat("%d/stream1", sub));
  camera->SetLowResUrl(StrFormat("%d/stream2", sub));
  camera->SetContRecStream(1);
  camera->SetEventRecStream(1);
  camera->SetSubChannel(sub);
  camera->SetOrder(order);
  camera->SetPTZControl(1);
  return camera;
}

}  // namespace

CHTNvrDataSynchronizer::CHTNvrDataSynchronizer(CLocalAppSettings& settings, std::shared_ptr<platform::Clock> clock)
    : TEventServiceFrame(kHTNvrDataSynchronizerKind, HTNvrDataSynchronizerConfig(), settings,
                         &CLocalAppSettings::Option_GetHTNvrDataSyncItems, std::move(clock)) {}

CHTNvrDataSynchronizer::~CHTNvrDataSynchronizer() { Stop(); }

std::string CHTNvrDataSynchronizer::StatusFileNameOf(const CHTNvrDataSynchronizerItem& job) {
  return "HTNvrDataSync_" + job.GetTargetAddress() + "_Status_" + std::to_string(job.GetID()) + ".dat";
}

void CHTNvrDataSynchronizer::OnStartSettings(CLocalAppSettings& settings) {
  zms_ = CZmsTarget::Read(settings);
}

bool CHTNvrDataSynchronizer::IsStopping(void* self) { return !static_cast<CHTNvrDataSynchronizer*>(self)->IsRunning(); }

void CHTNvrDataSynchronizer::SendOwedReload() {
  if (!reloadOwed_.load()) return;
  if (CZmsDataAdapter::CheckDatabase(zms_.address, zms_.port, "")) {
    reloadOwed_.store(false);
  } else {
    SERVICE_LOG(Log(), "OnDataSynchronizeMain", "ERROR - Error raised when request check database to ZMS.(%s:%d)\r\n",
                zms_.address.c_str(), zms_.port);
  }
}

bool CHTNvrDataSynchronizer::RunMainPass() {
  SendOwedReload();
  return true;
}

void CHTNvrDataSynchronizer::OnStopped() { SendOwedReload(); }

int CHTNvrDataSynchronizer::RunSenderPass(int id) {
  StatusPtr status = FindStatus(id);
  if (!status) return schedulePeriodMs_;
  const CHTNvrDataSynchronizerItem job = GetItem(id);
  CScopedLock run(runLock_);
  if (!IsRunning() || !TakeDueRun(*status, GetClock()->NowSeconds(), job.GetPeriod())) return schedulePeriodMs_;
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] Start HTNvr Synchronize\r\n", id);
  const int code = Synchronize(job);
  EndSyncRun(*status, code, 0, CombinePath(GetDataFolderPath(), StatusFileNameOf(job)), Log());
  SERVICE_LOG(Log(), "OnDataSynchronize", "INFO - [%d] Stop HTNvr Data Synchronize\r\n", id);
  Publish("MSG_DATASYNC_EXECUTED", reinterpret_cast<intptr_t>(this), id);
  return schedulePeriodMs_;
}

int CHTNvrDataSynchronizer::GetHTNvrCameras(const CHTNvrDataSynchronizerItem& job,
                                            CHTNVRAdapter::CameraMap* cameras) {
  const std::string& host = job.GetTargetAddress();
  const int port = job.GetTargetPort();
  CHTAPISession session;  // closes its socket when it goes
  if (port > 0 && port < 65536) session.socket = sock::Connect(host, static_cast<unsigned short>(port), kConnectTimeoutMs);
  if (session.socket == INVALID_SOCKET) {
    SERVICE_LOG(Log(), "GetHTNvrCameras", "ERROR - Error raised when connect to nvr.(%s:%d)\r\n", host.c_str(), port);
    return 1;
  }
  if (!CHTNVRAdapter::DoLogin(session, job.GetTargetLoginID(), job.GetTargetPasswordPlain(), &IsStopping, this)) {
    SERVICE_LOG(Log(), "GetHTNvrCameras", "ERROR - Error raised when login to nvr.(%s:%d)\r\n", host.c_str(), port);
    return 2;
  }
  if (!CHTNVRAdapter::GetCameraList(session, cameras, &IsStopping, this)) {
    SERVICE_LOG(Log(), "GetHTNvrCameras", "ERROR - Error raised when get cameras from nvr.(%s:%d)\r\n", host.c_str(),
                port);
    return 3;
  }
  return 0;
}

int CHTNvrDataSynchronizer::Synchronize(const CHTNvrDataSynchronizerItem& job) {
  CSyncDatabase central(CSyncDatabaseSettings::From(GetServiceSettings()));
  if (!central.IsConnected()) {
    SERVICE_LOG(Log(), "OnDataSynchronizeMain", "ERROR - Error raised when connect database.\r\n");
    return kHTDatabaseUnreachable;
  }
  CHTNVRAdapter::CameraMap cameras;
  const int result = GetHTNvrCameras(job, &cameras);
  if (result != 0) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - [%d] Error raised when get camera from nvr.\r\n", job.GetID());
    return result + 1;
  }
  CClientDataStore store(&central.Service());
  return WriteChanges(job, store, cameras);
}

int CHTNvrDataSynchronizer::WriteChanges(const CHTNvrDataSynchronizerItem& job, CClientDataStore& store,
                                         const CHTNVRAdapter::CameraMap& cameras) {
  const std::string& address = job.GetTargetAddress();
  // This NVR's central cameras by sub_channel (the higher no wins), and the
  // highest order of every camera.
  std::map<int, std::shared_ptr<CTBLCamera>> central;
  int maxOrder = 0;
  for (const auto& [no, row] : store.GetCachedEntityList("TBL_Camera")) {
    auto camera = std::dynamic_pointer_cast<CTBLCamera>(row);
    if (!camera) continue;
    maxOrder = std::max(maxOrder, camera->GetOrder());
    if (camera->GetAddr() == address) central[camera->GetSubChannel()] = camera;
  }
  std::map<int, std::unique_ptr<CTBLCamera>> added;
  std::map<int, std::unique_ptr<CTBLCamera>> renamed;
  std::map<int, std::shared_ptr<CTBLCamera>> gone = central;
  for (const auto& [channel, info] : cameras) {
    const int sub = channel + 1;
    auto it = central.find(sub);
    if (it == central.end()) {
      added[sub] = NewCamera(job, store, info, channel, ++maxOrder);
    } else if (it->second->GetName() != info.Name) {
      auto copy = std::make_unique<CTBLCamera>(*it->second);
      copy->SetName(info.Name);
      renamed[sub] = std::move(copy);
    }
    gone.erase(sub);
  }
  if (added.empty() && renamed.empty() && gone.empty()) return kHTOk;
  if (!IsRunning()) return kHTOk;  // stopping: begin no transaction

  const int transaction = store.BeginTransaction();
  if (transaction <= 0) {
    // An id of 0 would write through the thread's own connection outside any transaction.
    SERVICE_LOG(Log(), "OnDataSynchronize", "ERROR - Error raised when begin transaction. (%s)\r\n", address.c_str());
    return kHTWriteFailed;
  }
  auto fail = [&](const std::string& line) {
    SERVICE_LOG(Log(), "OnDataSynchronize", "%s", line.c_str());
    store.RollbackTransaction(transaction);
    return kHTWriteFailed;
  };
  auto targetGroup = std::dynamic_pointer_cast<CTBLCameraGroup>(store.FindCameraGroupByName(job.GetTargetGroup()));
  auto defaultGroup = std::dynamic_pointer_cast<CTBLCameraGroup>(store.FindCachedEntity("TBL_Camera_Group", 1));
  // A target group that is group 1 gets its link once.
  if (targetGroup && defaultGroup && targetGroup->GetNo() == defaultGroup->GetNo()) targetGroup.reset();
  int targetOrder = targetGroup ? targetGroup->GetLastCameraOrder() : 0;
  int defaultOrder = defaultGroup ? defaultGroup->GetLastCameraOrder() : 0;
  auto user = std::dynamic_pointer_cast<CTBLUser>(store.FindCachedEntity("TBL_User", 1));

  auto link = [&](const CTBLCameraGroup& group, int cameraNo, int order) {
    CTBLCameraList row;
    row.SetCameraGroupNo(group.GetNo());
    row.SetCameraNo(cameraNo);
    row.SetOrder(order);
    return store.AddEntity(&row, transaction);
  };
  for (auto& [sub, camera] : added) {
    if (!store.AddEntity(camera.get(), transaction)) {
      return fail(StrFormat("ERROR - Error raised when add new device. (%s, Channel: %d)\r\n", address.c_str(), sub));
    }
    if (targetGroup && !link(*targetGroup, camera->GetNo(), ++targetOrder)) {
      return fail(StrFormat("ERROR - Error raised when add group relation. (%s, Channel: %d)\r\n", address.c_str(), sub));
    }
    if (defaultGroup && !link(*defaultGroup, camera->GetNo(), ++defaultOrder)) {
      return fail(
          StrFormat("ERROR - Error raised when add default group relation. (%s, Channel: %d)\r\n", address.c_str(), sub));
    }
  }
  for (auto& [sub, camera] : renamed) {
    if (!store.UpdateEntity(camera.get(), transaction)) {
      return fail(StrFormat("ERROR - Error raised when update device. (%s, Channel: %d)\r\n", address.c_str(), sub));
    }
  }
  // A gone camera goes with its relations, user 1's permission row for it
  // (DeviceID = the camera's no) among them.
  for (const auto& [sub, camera] : gone) {
    if (!store.DeleteEntity(camera.get(), transaction)) {
      return fail(StrFormat("ERROR - Error raised when delete device. (%s, Channel: %d)\r\n", address.c_str(), sub));
    }
  }
  if (user) {
    // The permission names the camera by its number, as the permission index reads it.
    for (const auto& [sub, camera] : added) {
      CTBLUserPermission permission;
      permission.SetPermissionID(kCameraPermission);
      permission.SetUserID(user->GetNo());
      permission.SetDeviceID(camera->GetNo());
      permission.SetPrivilegeType(4);
      permission.SetPrivilegeValue("1");
      if (!store.AddEntity(&permission, transaction)) {
        return fail(StrFormat("ERROR - Error raised when add device (%d) permission for user. (%s)\r\n", camera->GetNo(),
                              address.c_str()));
      }
    }
  }
  if (!store.CommitTransaction(transaction)) {
    return fail(StrFormat("ERROR - Error raised when commit. (%s)\r\n", address.c_str()));
  }
  reloadOwed_.store(true);
  return kHTOk;
}
