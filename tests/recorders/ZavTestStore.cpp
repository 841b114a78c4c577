#include "ZavTestStore.h"

#include <gtest/gtest.h>

#include "database/SettingRows.h"
#include "entities/Camera.h"
#include "entities/NRS.h"

ZavTestStore::ZavTestStore() : store_(std::make_unique<CDataStore>(nullptr)) {}

ZavTestStore::~ZavTestStore() = default;

void ZavTestStore::AddServer(int no, unsigned short port, const std::string& login, const std::string& password) {
  auto row = std::make_unique<CTBLNRS>();  // rows stay off the stack (their locks)
  row->SetNo(no);
  row->SetName("zav" + std::to_string(no));
  row->SetAddr("127.0.0.1");
  row->SetWebPort(port);
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
  auto cached = std::dynamic_pointer_cast<CTBLNRS>(store_->FindCachedEntity("TBL_Zav", no));
  ASSERT_TRUE(cached);
  cached->SetLoginID(login);
  cached->SetLoginPassword(password);
}

void ZavTestStore::AddCamera(int no, int zavNo, int channel) {
  auto row = std::make_unique<CTBLCamera>();
  row->SetNo(no);
  row->SetName("camera" + std::to_string(no));
  row->SetZavNo(zavNo);
  row->SetZavChannel(channel);
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
}

void ZavTestStore::SetSystemSetting(const std::string& key, int value) {
  auto row = std::make_unique<CTBLSystemSetting>();
  row->SetSystemSettingID(++settings_);  // no database gives ids here
  row->SetCategory(2);
  row->SetKey(key);
  row->SetSetting(std::to_string(value));
  ASSERT_TRUE(store_->AddEntity(row.get(), 0));
}
