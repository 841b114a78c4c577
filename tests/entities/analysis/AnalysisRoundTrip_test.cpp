// Analysis-server and analysis-device rows through the database layer.
#include <gtest/gtest.h>

#include "DatabaseRowTest.h"
#include "RowTestSupport.h"
#include "entities/Camera.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"

namespace {

class AnalysisRowsInDatabase : public DatabaseRowTest {};

TEST_F(AnalysisRowsInDatabase, ServerAndDeviceKeepTheirColumns) {
  CTBLVas vas;
  vas.SetName("Lobby");
  vas.SetAddr("192.168.0.10");
  vas.SetPassword("it's");
  vas.SetDateTimeAdded("2024-02-03 04:05:06");
  vas.SetLoginID("admin");
  ASSERT_TRUE(service_->AddEntity(&vas, 0));
  ASSERT_GT(vas.GetID(), 0);
  EntityPtr stored = Find("TBL_Vas", "VasID", vas.GetID());
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->GetColumnValues(), vas.GetColumnValues());
  EXPECT_EQ(dynamic_cast<CTBLVas&>(*stored).GetLoginID(), "") << "the login is not a column";

  CTBLVasDevice device;
  device.SetVasID(vas.GetID());
  device.SetDeviceID(12);
  device.SetChannelNo(3);
  ASSERT_TRUE(service_->AddEntity(&device, 0));
  EntityPtr storedDevice = Find("TBL_VasDevice", "VasDeviceID", device.GetID());
  ASSERT_NE(storedDevice, nullptr);
  EXPECT_EQ(storedDevice->GetColumnValues(), device.GetColumnValues());
}

TEST_F(AnalysisRowsInDatabase, DeletingAServerKeepsItsDevicesWithoutAServer) {
  CTBLVas vas;
  ASSERT_TRUE(service_->AddEntity(&vas, 0));
  CTBLVasDevice device;
  device.SetVasID(vas.GetID());
  ASSERT_TRUE(service_->AddEntity(&device, 0));
  ASSERT_TRUE(DeleteWithRelations(vas));
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "VasID"), "0");
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "IsDeleted"), "0");
  EXPECT_EQ(OnlyRowValue("TBL_Vas", "IsDeleted"), "1");
}

TEST_F(AnalysisRowsInDatabase, DeletingACameraDeletesItsAnalysisDevices) {
  CTBLCamera camera;
  ASSERT_TRUE(service_->AddEntity(&camera, 0));
  CTBLVasDevice device;
  device.SetDeviceID(camera.GetID());
  ASSERT_TRUE(service_->AddEntity(&device, 0));
  ASSERT_TRUE(DeleteWithRelations(camera));
  EXPECT_EQ(OnlyRowValue("TBL_VasDevice", "IsDeleted"), "1");
}

}  // namespace
