#include "analysis/VARSerializerSKTAI.h"

#include <gtest/gtest.h>
#include <math.h>

#include <string>
#include <vector>

#include "AnalysisFixtures.h"
#include "foundation/ProcessLogCapture.h"
#include "shell/ScopedTimeZone.h"

namespace {

using Ints = std::vector<int>;
using Classes = std::vector<std::pair<int, float>>;

bool ReadSkt(const std::string& fixture, CVAR* result) {
  std::string text = ReadEngineFixture("sktai", fixture);
  return CVARSerializerSKTAI::Deserialize(text.c_str(), static_cast<int>(text.size()), result);
}

// Channels and regions count from 1; persons and vehicles are kept with the
// first box of their track; another class, or no box, drops the object with
// its events; an event entry without a name or an integer region is passed over.
TEST(VARSerializerSKTAI, ReadsObjectsAndTheirEvents) {
  ScopedTimeZone utc("UTC0");
  CVAR r;
  ASSERT_TRUE(ReadSkt("objects", &r));
  EXPECT_EQ(r.Channel, 1);
  EXPECT_EQ(r.Type, "a");
  EXPECT_EQ(r.Width, 10000);
  EXPECT_EQ(r.Height, 10000);
  EXPECT_EQ(r.Time, "20201008123527250_0");
  EXPECT_EQ(r.EventTime, (SystemTime{2020, 10, 4, 8, 12, 35, 27, 250}));
  ASSERT_EQ(r.Objects.size(), 2u);
  EXPECT_EQ(r.Objects[0].Classes, (Classes{{2002, 0.9f}}));
  EXPECT_EQ(r.Objects[0].Box, (CVARBox{1000, 2000, 4000, 6000}));
  EXPECT_EQ(r.Objects[0].ID, 11);
  EXPECT_EQ(r.Objects[1].Classes, (Classes{{2003, 1.0f}}));
  EXPECT_EQ(r.Objects[1].Box, (CVARBox{0, 0, 10000, 10000}));
  EXPECT_FALSE(r.IndexBuilt);
  ASSERT_EQ(r.Events.size(), 2u);
  for (const CVAREvent& event : r.Events) {
    EXPECT_EQ(event.Class, 2002);
    EXPECT_EQ(event.TrackID, 11);
    EXPECT_EQ(event.Levels, (Ints{0}));
    EXPECT_TRUE(event.LineNumbers.empty());
  }
  EXPECT_EQ(r.Events[0].ROINumbers, (Ints{1}));
  EXPECT_EQ(r.Events[1].ROINumbers, (Ints{3}));
}

// Every member of an object is tested for its type: only the last object
// has them all right, and of its events only the one with a text name.
TEST(VARSerializerSKTAI, ObjectWithAMemberOfAnotherTypeIsPassedOverWithItsEvents) {
  ScopedTimeZone utc("UTC0");
  CVAR r;
  ASSERT_TRUE(ReadSkt("wrong_types", &r));
  EXPECT_EQ(r.Channel, 4);
  EXPECT_EQ(r.Time, "20201008123527500_0");  // read as atof reads " +1602160527.5xyz"
  ASSERT_EQ(r.Objects.size(), 1u);
  EXPECT_EQ(r.Objects[0].ID, 8);
  ASSERT_EQ(r.Events.size(), 1u);
  EXPECT_EQ(r.Events[0].ROINumbers, (Ints{6}));
}

TEST(VARSerializerSKTAI, MissingOrMistypedRootMemberIsRefusedWithoutALog) {
  for (const char* fixture : {"refuse_no_source", "refuse_source_array", "refuse_channel_text",
                              "refuse_timestamp_number", "refuse_objects_object"}) {
    SCOPED_TRACE(fixture);
    ProcessLogCapture log;
    CVAR result;
    EXPECT_FALSE(ReadSkt(fixture, &result));
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(result.Channel, -1);
    EXPECT_EQ(result.Type, "");
  }
}

TEST(VARSerializerSKTAI, TextThatDoesNotParseIsLogged) {
  ProcessLogCapture log;
  CVAR result;
  EXPECT_FALSE(ReadSkt("not_json", &result));
  EXPECT_NE(log.Text().find(" parse failed!!"), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find(ReadEngineFixture("sktai", "not_json")), std::string::npos) << log.Text();
}

TEST(VARSerializerSKTAI, TimeThatIsNoNumberLeavesTheTimeEmpty) {
  CVAR result;
  ASSERT_TRUE(ReadSkt("time_nan", &result));
  EXPECT_EQ(result.EventTime, SystemTime{});
  EXPECT_EQ(result.Time, "");
  EXPECT_EQ(result.Channel, 1);
}

TEST(VARSerializerSKTAI, NumberTextsReadAsAtofDoes) {
  const std::pair<const char*, double> cases[] = {
      {"1602160527.25", 1602160527.25}, {"  12.5", 12.5}, {"+3", 3.0},     {"-2.5e1", -25.0},
      {"7.5abc", 7.5},                  {"abc", 0.0},     {"", 0.0},       {"+-1", 0.0},
      {"1e999", HUGE_VAL},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(CVARSerializerSKTAI::ReadNumberText(text), value) << text;
  EXPECT_TRUE(isnan(CVARSerializerSKTAI::ReadNumberText("nan")));
}

TEST(VARSerializerSKTAI, ClassNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {{"person", 2002}, {"Person", 2002}, {"VEHICLE", 2003},
                                               {"car", 0},       {"", 0}};
  for (const auto& [name, code] : cases) EXPECT_EQ(CVARSerializerSKTAI::GetClassCode(name), code) << name;
}

}  // namespace
