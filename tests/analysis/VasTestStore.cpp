#include "VasTestStore.h"

#include <gtest/gtest.h>

#include "entities/analysis/VasDevice.h"

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

void VasTestStore::AddDevice(int id, int vasId, int channel) {
  auto row = std::make_unique<CTBLVasDevice>();
  row->SetVasDeviceID(id);
  row->SetVasID(vasId);
  row->SetChannelNo(channel);
  EXPECT_TRUE(store_->AddEntity(row.get(), 0));
}
