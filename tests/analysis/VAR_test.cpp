#include "analysis/VAR.h"

#include <gtest/gtest.h>

namespace {

CVARObject ObjectWithId(int id, int reid) {
  CVARObject object;
  object.ID = id;
  object.ReID = reid;
  return object;
}

TEST(VAR, NewResultIsUnassigned) {
  CVAR result;
  EXPECT_EQ(result.Channel, -1);
  EXPECT_EQ(result.DeviceID, -1);
  EXPECT_EQ(result.VasID, -1);
  EXPECT_EQ(result.Reserved, -1);
  EXPECT_EQ(result.AIEventType, -1);
  EXPECT_EQ(result.Width, 0);
  EXPECT_EQ(result.Height, 0);
  EXPECT_EQ(result.Gap, 0);
  EXPECT_TRUE(result.Type.empty() && result.Time.empty() && result.Thumbnail.empty());
  EXPECT_TRUE(result.ST.empty() && result.ET.empty());
  EXPECT_TRUE(result.Objects.empty() && result.Events.empty() && result.EItems.empty());
  EXPECT_TRUE(result.CrowdDensities.empty() && result.WaterLevels.empty());
  EXPECT_TRUE(result.ObjectIndex.empty() && result.LineCounts.empty());
  EXPECT_FALSE(result.IndexBuilt);
  EXPECT_EQ(result.EventTime, SystemTime());
}

TEST(VAR, IndexKeepsLastObjectOfAnIdAndSkipsIdZero) {
  CVAR result;
  result.SetObjects({ObjectWithId(0, 1), ObjectWithId(7, 2), ObjectWithId(7, 3), ObjectWithId(0, 4)}, true);
  EXPECT_TRUE(result.IndexBuilt);
  ASSERT_NE(result.FindObject(7), nullptr);
  EXPECT_EQ(result.FindObject(7)->ReID, 3);
  EXPECT_EQ(result.FindObject(0), nullptr);
  EXPECT_EQ(result.FindObject(5), nullptr);
  EXPECT_EQ(result.ObjectIndex.size(), 1u);
}

TEST(VAR, WithoutIndexFindsFirstObjectOfAnId) {
  CVAR result;
  result.SetObjects({ObjectWithId(7, 1), ObjectWithId(0, 2), ObjectWithId(7, 3), ObjectWithId(0, 4)}, true);
  result.SetObjects({ObjectWithId(7, 1), ObjectWithId(0, 2), ObjectWithId(7, 3), ObjectWithId(0, 4)}, false);
  EXPECT_FALSE(result.IndexBuilt);
  EXPECT_TRUE(result.ObjectIndex.empty());
  ASSERT_NE(result.FindObject(7), nullptr);
  EXPECT_EQ(result.FindObject(7)->ReID, 1);
  ASSERT_NE(result.FindObject(0), nullptr);
  EXPECT_EQ(result.FindObject(0)->ReID, 2);
}

TEST(VAR, ReplacingListsDropsWhatTheyHeld) {
  CVAR result;
  result.SetObjects({ObjectWithId(3, 1)}, true);
  result.SetObjects({}, true);
  EXPECT_TRUE(result.Objects.empty());
  EXPECT_EQ(result.FindObject(3), nullptr);
  result.SetEvents({CVAREvent(), CVAREvent()});
  result.SetEvents({});
  EXPECT_TRUE(result.Events.empty());
}

struct TimestampCase {
  const char* time;
  SystemTime expected;
};

TEST(VAR, TimestampReadsTheFirstSeventeenCharacters) {
  const TimestampCase cases[] = {
      {"20201008123456789_123", {2020, 10, 0, 8, 12, 34, 56, 789}},
      {"20201008123456789", {2020, 10, 0, 8, 12, 34, 56, 789}},
      {"202010081234567", {2020, 10, 0, 8, 12, 34, 56, 0}},
      {"20201008123456", {2020, 10, 0, 8, 12, 34, 56, 0}},
      {"2020100812345", {}},
      {"", {}},
  };
  for (const TimestampCase& c : cases) {
    CVAR result;
    result.Time = c.time;
    EXPECT_EQ(result.GetTimestamp(), c.expected) << c.time;
  }
}

}  // namespace
