#include "sync/BIoTManagerLink.h"

#include "biot/BIoTDataManager.h"

namespace {

class CBIoTManagerLink : public IBIoTDataManager {
 public:
  explicit CBIoTManagerLink(const CBIoTManagerSettings& settings) {
    CBIoTServiceAdapter::CConnInfo& info = manager_.Settings();
    info.host = settings.host;
    info.port = settings.port;
    info.userID = settings.userID;
    info.password = settings.password;
    info.tls = settings.tls ? 1 : 0;
    info.siteID = settings.siteID;
  }

  bool Open() override { return manager_.Open() != 0; }
  bool HasUserToken() override { return !manager_.GetUserToken().empty(); }
  bool GetUserLoginToken() override { return manager_.GetUserLoginToken(*manager_.MakeAdapter()) != 0; }
  bool SyncData(IDataStore* store) override {
    return store != nullptr && manager_.SyncData(*store, *manager_.MakeAdapter()) != 0;
  }
  bool TakeVideoGatewayAdded() override { return manager_.TakeGatewaysChanged(); }
  bool GetZavAuthCodes() override { return manager_.GetZavAuthCodes(*manager_.MakeAdapter()) != 0; }
  bool TakeAuthCodesChanged() override { return manager_.TakeAuthCodesChanged(); }
  std::map<int, std::string> GetZavAuthCodeMap() override { return manager_.GetZavAuthCodeMap(); }

 private:
  CBIoTDataManager manager_;
};

}  // namespace

std::shared_ptr<IBIoTDataManager> MakeBIoTDataManager(const CBIoTManagerSettings& settings) {
  return std::make_shared<CBIoTManagerLink>(settings);
}
