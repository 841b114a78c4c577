#include "analysis/VasStatusHandler.h"

#include <memory>
#include <string>

#include "analysis/VasDataInterface.h"
#include "analysis/VasStatusStream.h"
#include "database/IDataStore.h"
#include "entities/analysis/Vas.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlSerializer.h"
#include "net/SecureSock.h"

namespace {

// Reads the document into `record` and keeps the name of its root node.
class RootReader : public CSerializable {
 public:
  explicit RootReader(CSerializable* record) : record_(record) {}
  const char* GetTypeName() const override { return record_->GetTypeName(); }
  void Serialize(CSerializationInfo& node) const override { record_->Serialize(node); }
  void Deserialize(const CSerializationInfo& node) override {
    root = node.GetName();
    record_->Deserialize(node);
  }
  std::string root;

 private:
  CSerializable* record_;
};

}  // namespace

CVasStatusHandler::CVasStatusHandler() : CStatusStreamHandler("VAS_STATUS_HANDLER", "VAS_STATUS_HANDLER") {}

CVasStatusHandler::~CVasStatusHandler() { Stop(); }

std::vector<CStatusStreamHandler::Server> CVasStatusHandler::ListServers(int32_t /*storeId*/, IDataStore* store) {
  std::vector<Server> servers;
  for (const auto& [id, entity] : store->GetCachedEntityList("TBL_Vas")) {
    auto row = std::dynamic_pointer_cast<CTBLVas>(entity);
    if (row && row->GetType() == kVasKindOwn) servers.push_back({static_cast<int32_t>(id), true, Interval});
  }
  return servers;
}

bool CVasStatusHandler::IsServerPresent(IDataStore* store, int32_t vasId) {
  auto row = std::dynamic_pointer_cast<CTBLVas>(store->FindCachedEntity("TBL_Vas", vasId));
  return row && row->GetVasKind() == kVasKindOwn;
}

bool CVasStatusHandler::OpenStream(IDataStore* store, int32_t vasId, int interval, CSecureSock& conn) {
  auto row = std::dynamic_pointer_cast<CTBLVas>(store->FindCachedEntity("TBL_Vas", vasId));
  conn.tls = row ? row->GetUseSecure() : 0;
  if (Mode == 1) {
    return CVasDataInterface::RequestAnalysisStatus(store, vasId, interval, Polling, WithChannelList, &conn) == 1;
  }
  return CVasDataInterface::RequestSystemStatus(store, vasId, interval, Polling, WithChannelList, &conn) == 1;
}

int CVasStatusHandler::ReceiveUnit(IDataStore* store, int32_t vasId, int interval, CSecureSock& conn,
                                   std::vector<char>* buffer) {
  int result = CVasDataInterface::ReceiveStatus(store, vasId, interval, &conn, buffer,
                                                &CStatusStreamHandler::IsStopped, this);
  return result == CVasDataInterface::kServerGone ? kUnitGone : result;
}

bool CVasStatusHandler::PublishUnit(int32_t /*handlerId*/, const int32_t* pair, const char* text) {
  CVasStatusStream status;
  RootReader reader(&status);
  // A foreign root would publish an empty record, which reads as a server
  // with nothing running; it is refused like a text without a root.
  if (!CXmlSerializer::FromXml(text, &reader) || !StrEqualNoCase(reader.root, status.GetTypeName())) {
    GATE_LOG(1, "ERROR - Error raised when deserialize system data of zav (%d/%d).\r\n", pair[0], pair[1]);
    return false;
  }
  PublishIfRunning("MSG_STATUS_RECEIVED", pair, reinterpret_cast<intptr_t>(&status));
  return true;
}
