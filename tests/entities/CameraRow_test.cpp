#include <gtest/gtest.h>

#include "RowTestSupport.h"
#include "entities/Camera.h"
#include "platform/Clock.h"

namespace {

TEST(CameraRow, LoadsMixedCaseColumnsUnderLowerCaseNamesWithoutRecording) {
  struct Case {
    const char* what;
    CKeyValueData row;
    int motionEnabled;
  } cases[] = {
      {"column missing: default kept", KeyValues({{"no", "4"}}), 1},
      {"empty text", KeyValues({{"motionenabled", ""}}), 0},
      {"set", KeyValues({{"motionenabled", "1"}}), 1},
      {"table spelling is not a load name", KeyValues({{"MotionEnabled", "0"}}), 1},
  };
  for (Case& c : cases) {
    CTBLCamera camera;
    camera.LoadFrom(c.row);
    EXPECT_EQ(camera.GetMotionEnabled(), c.motionEnabled) << c.what;
    EXPECT_FALSE(camera.HasChanges()) << c.what;
  }
  CTBLCamera camera;
  LoadValues(camera, {{"zav_no", "12abc"}, {"ptzcontrol", "-1"}, {"channelname", "Gate"}});
  EXPECT_EQ(camera.GetZavNo(), 12);
  EXPECT_EQ(camera.GetPTZControl(), -1);
  EXPECT_EQ(camera.GetChannelName(), "Gate");
}

TEST(CameraRow, SettersRecordAndNotifyUnderTheTableSpelling) {
  CTBLCamera camera;
  NotificationRecorder recorder(camera);
  camera.SetMotionEnabled(0);
  camera.SetMotionEnabled(0);
  camera.SetName("Lobby");
  EXPECT_TRUE(camera.IsColumnChanged("MotionEnabled"));
  EXPECT_FALSE(camera.IsColumnChanged("motionenabled"));
  EXPECT_EQ(camera.GetOriginalValue("MotionEnabled"), "1");
  EXPECT_EQ(recorder.Columns(), (std::vector<std::string>{"MotionEnabled", "name"}));
  camera.SetID(31);
  EXPECT_TRUE(camera.IsColumnChanged("no"));
  EXPECT_EQ(camera.GetID(), 31);
}

TEST(CameraRow, DisplayTextIsTheName) {
  CTBLCamera camera;
  EXPECT_EQ(camera.GetDisplayText(), "");
  camera.SetName("Parking east");
  EXPECT_EQ(camera.GetDisplayText(), "Parking east");
}

TEST(CameraRow, CopyCarriesColumnsStoreNumberAndFaultButNotChanges) {
  CTBLCamera source;
  source.SetName("Dock");
  source.SetStoreNo(7);
  int64_t before = platform::SystemClock()->NowSeconds();
  source.SetStreamFailure(1);
  ASSERT_EQ(source.GetStreamFailure(), 1);
  EXPECT_GE(source.GetFaultTime(), before);

  CTBLCamera target;
  target.SetZavChannel(3);
  source.CopyTo(&target);
  EXPECT_EQ(target.GetName(), "Dock");
  EXPECT_EQ(target.GetStreamFailure(), 1);
  EXPECT_EQ(target.GetFaultTime(), source.GetFaultTime());
  EXPECT_EQ(target.GetTreeNodeStoreNo(), 7);
  EXPECT_EQ(target.GetStoreNo(), 0);
  EXPECT_EQ(target.GetChangedColumns(), (std::vector<std::string>{"zav_channel"}));

  // CopyFrom is the same copy under its other name: the camera's own
  // additions reach the target through the base reference too.
  CTBLCamera viaCopyFrom;
  static_cast<const CDBEntity&>(source).CopyFrom(&viaCopyFrom);
  EXPECT_EQ(viaCopyFrom.GetColumnValues(), source.GetColumnValues());
  EXPECT_EQ(viaCopyFrom.GetStreamFailure(), 1);
  EXPECT_EQ(viaCopyFrom.GetTreeNodeStoreNo(), 7);

  CTBLCamera copy(source);
  EXPECT_EQ(copy.GetColumnValues(), source.GetColumnValues());
  EXPECT_EQ(copy.GetStreamFailure(), 1);
  EXPECT_EQ(copy.GetFaultTime(), source.GetFaultTime());
  EXPECT_EQ(copy.GetTreeNodeStoreNo(), 7);

  std::unique_ptr<CDBEntity> clone(source.Clone());
  auto* cloned = dynamic_cast<CTBLCamera*>(clone.get());
  ASSERT_NE(cloned, nullptr);
  EXPECT_EQ(cloned->GetStreamFailure(), 1);
  EXPECT_FALSE(cloned->HasChanges());
}

TEST(CameraRow, FaultTimeIsStampedOnlyWhenTheFaultIsRaised) {
  CTBLCamera camera;
  camera.SetStreamFailure(0);
  EXPECT_EQ(camera.GetFaultTime(), 0);
  camera.SetStreamFailure(5);
  EXPECT_EQ(camera.GetStreamFailure(), 1);
  int64_t raised = camera.GetFaultTime();
  EXPECT_GT(raised, 0);
  camera.SetStreamFailure(0);
  EXPECT_EQ(camera.GetStreamFailure(), 0);
  EXPECT_EQ(camera.GetFaultTime(), raised);
}

}  // namespace
