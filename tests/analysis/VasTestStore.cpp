#include "VasTestStore.h"

#include <gtest/gtest.h>

#include "entities/analysis/VasDevice.h"
#include "entities/analysis/VasROIPoints.h"

VasTestStore::VasTestStore() : store_(std::make_unique<CDataStore>(nullptr)) {}

VasTestStore::~VasTestStore() = default;

std::shared_ptr<CTBLVas> VasTestStore::AddServer(int id, unsigned short port, int type, const std::string& login,
                                                 const std::string& password) {
  auto row = std::make_unique<CTBLVas>();  // rows stay off the stack (their locks)
  row->SetVasID(id);
  row->SetName("vas" + std::to_string(id));
  row->SetType(type);
  row->SetAddr("127.0.0.1");
  row->SetWebPort(port);
  row->SetSecureWebPort(port);
  row->SetUser("column-user");
  row->SetPassword("column-password");
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
  auto cached = std::dynamic_pointer_cast<CTBLVas>(store_->FindCachedEntity("TBL_Vas", id));
  EXPECT_TRUE(cached);
  if (cached) {
    cached->SetLoginID(login);
    cached->SetLoginPassword(password);
  }
  return cached;
}

void VasTestStore::AddDevice(int id, int vasId, int channel, int cameraNo) {
  auto row = std::make_unique<CTBLVasDevice>();
  row->SetVasDeviceID(id);
  row->SetVasID(vasId);
  row->SetChannelNo(channel);
  row->SetDeviceID(cameraNo);
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
}

std::shared_ptr<CTBLCamera> VasTestStore::AddCamera(int no, const std::string& vendor, const std::string& model) {
  auto row = std::make_unique<CTBLCamera>();
  row->SetNo(no);
  row->SetName("camera" + std::to_string(no));
  row->SetVendor(vendor);
  row->SetModelName(model);
  row->SetAddr("127.0.0.1");
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
  return std::dynamic_pointer_cast<CTBLCamera>(store_->FindCachedEntity("TBL_Camera", no));
}

std::shared_ptr<CTBLNRS> VasTestStore::AddZav(int no, const std::string& address, const std::string& login,
                                              const std::string& password) {
  auto row = std::make_unique<CTBLNRS>();
  row->SetNo(no);
  row->SetAddr(address);
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
  auto cached = std::dynamic_pointer_cast<CTBLNRS>(store_->FindCachedEntity("TBL_Zav", no));
  if (cached) {
    cached->SetLoginID(login);
    cached->SetLoginPassword(password);
  }
  return cached;
}

std::shared_ptr<CTBLVasROI> VasTestStore::AddRegion(int id, int deviceId, int number, int eventId) {
  auto row = std::make_unique<CTBLVasROI>();
  row->SetVasROIID(id);
  row->SetVasDeviceID(deviceId);
  row->SetROINumber(number);
  row->SetVasIntelligentEventID(eventId);
  row->SetEnable(1);
  row->SetBaseWidth(640);
  row->SetBaseHeight(480);
  row->SetName("region" + std::to_string(number));
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
  return std::dynamic_pointer_cast<CTBLVasROI>(store_->FindCachedEntity("TBL_VasROI", id));
}

void VasTestStore::AddPoint(int id, int regionId, int x, int y) {
  auto row = std::make_unique<CTBLVasROIPoints>();
  row->SetVasROIPointID(id);
  row->SetVasROIID(regionId);
  row->SetROIPointX(x);
  row->SetROIPointY(y);
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
}
