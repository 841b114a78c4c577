#include "analysis/VasDataInterface.h"

#include <memory>

#include "analysis/VasServiceFactory.h"
#include "database/IDataStore.h"
#include "entities/analysis/Vas.h"
#include "foundation/Log.h"

namespace {

// The server's cached row and a new adapter for it; false, logged, when
// either is missing.
bool FindService(IDataStore* store, int32_t vasId, std::shared_ptr<CTBLVas>* row,
                 std::shared_ptr<IVasService>* service) {
  if (store) *row = std::dynamic_pointer_cast<CTBLVas>(store->FindCachedEntity("TBL_Vas", vasId));
  if (!*row) {
    GATE_LOG(1, "ERROR - Can't find '%d' vas information.\r\n", vasId);
    return false;
  }
  *service = VasServiceFactory::CreateVasService(row->get());
  if (!*service) {
    GATE_LOG(1, "ERROR - VasServiceFactory::CreateVasService failed... %s\r\n", (*row)->GetDisplayName().c_str());
    return false;
  }
  return true;
}

// Opens the stream of slot `request` (system or analysis status) through the adapter.
int RequestStatus(decltype(&IVasService::RequestSystemStatus) request, IDataStore* store, int32_t vasId,
                  int interval, int polling, int withChannelList, CSecureSock* conn) {
  std::shared_ptr<CTBLVas> row;
  std::shared_ptr<IVasService> service;
  if (!FindService(store, vasId, &row, &service)) return 0;
  if (!((*service).*request)(store, row.get(), nullptr, interval, polling, withChannelList, conn)) {
    GATE_LOG(1, "ERROR - pService->RequestSystemStatus() failed..\r\n");
    return 0;
  }
  return 1;
}

}  // namespace

int CVasDataInterface::RequestSystemStatus(IDataStore* store, int32_t vasId, int interval, int polling,
                                           int withChannelList, CSecureSock* conn) {
  return RequestStatus(&IVasService::RequestSystemStatus, store, vasId, interval, polling, withChannelList, conn);
}

int CVasDataInterface::RequestAnalysisStatus(IDataStore* store, int32_t vasId, int interval, int polling,
                                             int withChannelList, CSecureSock* conn) {
  return RequestStatus(&IVasService::RequestAnalysisStatus, store, vasId, interval, polling, withChannelList, conn);
}

int CVasDataInterface::ReceiveStatus(IDataStore* store, int32_t vasId, int wait, CSecureSock* conn,
                                     std::vector<char>* buffer, VasAbortFunc abort, void* context) {
  std::shared_ptr<CTBLVas> row;
  std::shared_ptr<IVasService> service;
  if (!FindService(store, vasId, &row, &service)) return kServerGone;
  return service->ReceiveStatus(store, row.get(), nullptr, wait, conn, buffer, abort, context);
}
