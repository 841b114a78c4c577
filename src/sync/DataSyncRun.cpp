#include "sync/DataSyncRun.h"

#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "net/HttpEndpoint.h"
#include "net/SimpleHttpParser.h"
#include "net/UrlFormatter.h"
#include "sync/DataSyncChanges.h"
#include "sync/SyncEntityFactory.h"
#include "sync/SyncSnapshot.h"

namespace {

constexpr int kPostTimeoutSeconds = 10;

// Posts `json` to the job's target; the run's code (0 accepted, 4, 5).
int PostChanges(const CDataSynchronizerItem& item, const CDataSyncSettings& settings, const std::string& json) {
  CUrlFormatter url;
  url.SetUrl(item.GetTargetUrl());
  std::string uri = url.GetPath();
  if (url.GetParamCount() > 0) uri += "?" + url.GetQuery();
  const std::string body = EncodeEventBody(json, settings.service);
  // The URL's scheme does not switch TLS on here, nor does "https" change the default port.
  CHttpEndpoint endpoint(url.GetHost(), url.GetPort() > 0 ? url.GetPort() : 80, item.GetTargetLoginID(),
                         item.GetTargetPasswordPlain(), item.GetTargetAuthMethod(),
                         item.GetTargetUseSecureSession() ? 1 : 0);
  std::string reply;
  if (endpoint.Post(uri, body, &reply, kPostTimeoutSeconds) == 0) {
    GATE_LOG(1, "ERROR - Error raised when post uri (%d:%s)\r\n", item.GetID(), item.GetSourceData().c_str());
    return kDataSyncNoConnection;
  }
  CSimpleHttpParser parser(reply);
  if (parser.statusCode == 200) return kDataSyncOk;
  // The parser ends every body line with "\n"; the log line shows the text without it.
  std::string text = parser.GetBody();
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  if (!text.empty()) text = Utf8ToAnsi(text);
  GATE_LOG(1, "ERROR - Error raised when post uri (Response error return : %d (%s)) (%d:%s)\r\n", parser.statusCode,
           text.c_str(), item.GetID(), item.GetSourceData().c_str());
  return kDataSyncRejected;
}

}  // namespace

CDataSyncResult RunDataSync(const CDataSynchronizerItem& item, const CDataSyncSettings& settings,
                            CDeviceUserFields* userFields, const std::string& snapshotPath) {
  CDataSyncResult result;
  const std::string entityName = item.GetEntityName();
  if (!CSyncEntityFactory::CreateEntity(entityName)) {
    GATE_LOG(1, "ERROR - No sync entity for the source table '%s' (%d)\r\n", item.GetSourceData().c_str(),
             item.GetID());
    result.code = kDataSyncNoSyncEntity;
    return result;
  }
  SyncEntityMap snapshot;
  if (!LoadSyncSnapshot(snapshotPath, entityName, &snapshot)) {
    result.code = kDataSyncSnapshotUnreadable;
    return result;
  }

  CSyncDatabase database(settings.database);
  if (!database.IsConnected()) {
    GATE_LOG(1, "ERROR - Error raised when connect database.\r\n");
    result.code = kDataSyncDatabaseFailed;
    return result;
  }
  const std::string& table = item.GetSourceData();
  EntityMap rows = database.Store().GetCachedEntityList(table.c_str());
  if (!database.WasLoaded(table)) {
    // The table could not be read (the server went away): compare nothing,
    // or every row would go out as a Delete.
    GATE_LOG(1, "ERROR - Error raised when read '%s' table.(%d)\r\n", table.c_str(), item.GetID());
    result.code = kDataSyncDatabaseFailed;
    return result;
  }
  const bool cameraJob = table == "TBL_Camera";
  CDataSyncChanges changes = CompareSyncRows(&database.Store(), rows, entityName, cameraJob, userFields,
                                             std::move(snapshot), item.GetID());
  if (changes.changes.empty()) return result;

  const std::string json = SerializeSyncEntities(changes.changes);
  if (!settings.skipNotify) {
    result.code = PostChanges(item, settings, json);
    if (result.code != kDataSyncOk) return result;
  }
  // The target holds the changes now; a snapshot that cannot be saved is
  // logged and the next run sends them again (an Add of a known key updates).
  SaveSyncSnapshot(snapshotPath, changes.snapshot);
  result.accepted = true;
  return result;
}
