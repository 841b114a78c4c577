#include <gtest/gtest.h>

#include "RowTestSupport.h"
#include "entities/VasStatus.h"
#include "entities/analysis/Vas.h"
#include "entities/analysis/VasDevice.h"

namespace {

TEST(AnalysisRows, AnalysisServerTableFacts) {
  ExpectTableFacts({"TBL_Vas", 19, "VasID", "ZavID", "VasID", true, false, false, false,
                    {{0, "VasID", kInt, "0"},
                     {1, "Name", kStr, ""},
                     {2, "Type", kInt, "1"},
                     {4, "Password", kStr, ""},
                     {5, "AuthType", kInt, "1"},
                     {6, "Addr", kStr, ""},
                     {7, "WebPort", kInt, "7080"},
                     {8, "SecureWebPort", kInt, "7443"},
                     {9, "ControlPort", kInt, "28999"},
                     {10, "UseSecure", kBool, "0"},
                     {11, "IsDeleted", kBool, "0"},
                     {12, "DateTimeAdded", kDateTime, ""},
                     {17, "MaxAnalysisFps", kInt, "1000"}},
                    {{"TBL_VasDevice", "VasID", kRelationModeSetZero},
                     {"LTBL_VasStatus", "VasID", kRelationModeDelete},
                     {"LTBL_VasGPUStatus", "VasID", kRelationModeDelete}}});
}

TEST(AnalysisRows, AnalysisDeviceTableFacts) {
  ExpectTableFacts({"TBL_VasDevice", 14, "VasDeviceID", "AnalysisNetworkSize", "VasDeviceID", true, false, false,
                    false,
                    {{1, "VasID", kInt, "0"},
                     {2, "DeviceID", kInt, "0"},
                     {3, "ChannelNo", kInt, "0"},
                     {4, "Enable", kBool, "0"},
                     {5, "Protocol", kInt, "1"},
                     {6, "StreamType", kInt, "1"},
                     {8, "DateTimeAdded", kDateTime, ""},
                     {11, "AnalysisModel", kInt, "1"},
                     {12, "AnalysisFps", kInt, "5"}},
                    {{"TBL_VasClassGroup", "VasDeviceID", kRelationModeDelete},
                     {"TBL_VasROI", "VasDeviceID", kRelationModeDelete},
                     {"TBL_VasLineCross", "VasDeviceID", kRelationModeDelete},
                     {"LTBL_VasDeviceStatus", "VasDeviceID", kRelationModeDelete}}});
}

TEST(AnalysisRows, LocalHostAddressGivesWayToTheSubstitute) {
  struct Case {
    const char* addr;
    const char* substitute;
    const char* address;
  } cases[] = {
      {"LocalHost", "10.0.0.9", "10.0.0.9"}, {"127.0.0.1", "10.0.0.9", "10.0.0.9"},
      {"localhost", "", "localhost"},        {"127.0.0.2", "10.0.0.9", "127.0.0.2"},
      {"192.168.0.10", "10.0.0.9", "192.168.0.10"}, {"", "10.0.0.9", ""},
  };
  for (const Case& c : cases) {
    CTBLVas vas;
    vas.SetAddr(c.addr);
    vas.SetSubstituteAddress(c.substitute);
    EXPECT_EQ(vas.GetAddress(), c.address) << c.addr << " / " << c.substitute;
  }
  CTBLVas external;
  external.SetAddr("192.168.0.10");
  external.SetUseExternalAddress(1);
  external.SetExternalAddress("203.0.113.5");
  EXPECT_EQ(external.GetAddress(), "192.168.0.10");
}

TEST(AnalysisRows, CopiesCarryTheLoginButNotTheSubstitute) {
  CTBLVas vas;
  vas.SetName("Lobby");
  vas.SetAddr("192.168.0.10");
  vas.SetLoginID("admin");
  vas.SetLoginPassword("pw");
  vas.SetSubstituteAddress("10.0.0.9");
  EXPECT_EQ(vas.GetDisplayText(), "Lobby (192.168.0.10)");
  EXPECT_FALSE(vas.IsColumnChanged("LoginID"));

  CTBLVas target;
  vas.CopyTo(&target);
  EXPECT_EQ(target.GetLoginID(), "admin");
  EXPECT_EQ(target.GetLoginPassword(), "pw");
  EXPECT_EQ(target.GetSubstituteAddress(), "");
  std::unique_ptr<CDBEntity> clone(vas.Clone());
  EXPECT_EQ(dynamic_cast<CTBLVas&>(*clone).GetLoginID(), "admin");
  EXPECT_EQ(CTBLVas(vas).GetSubstituteAddress(), "10.0.0.9");
}

TEST(AnalysisRows, ARowWithoutAStoreFindsNothing) {
  CTBLVas vas;
  vas.SetVasID(3);
  EXPECT_TRUE(vas.GetStatusRows().empty());
  EXPECT_EQ(vas.GetStatus(), nullptr);
  EXPECT_TRUE(vas.GetGPUStatusRows().empty());
  EXPECT_TRUE(vas.GetSettings().empty());
  CVasSettingManager& settings = vas.GetSettingManager();
  EXPECT_EQ(settings.GetDataStore(), nullptr);
  EXPECT_EQ(settings.GetOwnerID(), 0);
  EXPECT_STREQ(settings.GetTableName(), "TBL_VasSettings");
  EXPECT_EQ(settings.GetString(1, "key", "default"), "default");
}

}  // namespace
