#include "analysis/VARSerializerOGQ.h"

#include <gtest/gtest.h>
#include <limits.h>

#include <functional>
#include <string>
#include <vector>

#include "AnalysisFixtures.h"
#include "shell/ScopedTimeZone.h"
#include "foundation/ProcessLogCapture.h"

namespace {

using Ints = std::vector<int>;
using Classes = std::vector<std::pair<int, float>>;

struct Outputs {
  int camera = -99;
  std::string name = "unset";
};

bool Read(const std::string& fixture, CVAR* result, Outputs* out) {
  std::string text = ReadEngineFixture("ogq", fixture);
  return CVARSerializerOGQ::Deserialize(text.c_str(), static_cast<int>(text.size()), result, &out->camera,
                                        &out->name);
}

struct ResultCase {
  const char* fixture;
  std::function<void(const CVAR&, const Outputs&)> check;
};

const ResultCase kResultCases[] = {
    // "StArT": the boxes with a class of the table and real coordinates, one
    // event of region 0 whose class is that of the last box with a confidence
    // above 0, and the image as thumbnail.
    {"start",
     [](const CVAR& r, const Outputs& out) {
       EXPECT_EQ(out.camera, 9);
       EXPECT_EQ(out.name, "fire");
       EXPECT_EQ(r.Type, "a");
       EXPECT_EQ(r.Width, 10000);
       EXPECT_EQ(r.Height, 10000);
       EXPECT_EQ(r.Channel, -1);
       EXPECT_EQ(r.Time, "20201008123527500_0");
       EXPECT_EQ(r.EventTime, (SystemTime{2020, 10, 4, 8, 12, 35, 27, 500}));
       ASSERT_EQ(r.Objects.size(), 2u);
       EXPECT_EQ(r.Objects[0].Classes, (Classes{{44, 0.8f}}));
       EXPECT_EQ(r.Objects[0].Box, (CVARBox{1234, 5000, 7500, 10000}));
       EXPECT_EQ(r.Objects[0].ID, 0);
       EXPECT_EQ(r.Objects[1].Classes, (Classes{{42, 0.0f}}));
       EXPECT_FALSE(r.IndexBuilt);
       ASSERT_EQ(r.Events.size(), 1u);
       EXPECT_EQ(r.Events[0].Class, 44);
       EXPECT_EQ(r.Events[0].ROINumbers, (Ints{0}));
       EXPECT_TRUE(r.Events[0].Levels.empty());
       EXPECT_EQ(r.Events[0].TrackID, 0);
       EXPECT_EQ(r.Thumbnail, "aW1hZ2U=");
     }},
    {"other_status",
     [](const CVAR& r, const Outputs&) {
       EXPECT_EQ(r.Objects.size(), 1u);
       EXPECT_TRUE(r.Events.empty());
       EXPECT_TRUE(r.Thumbnail.empty());
     }},
    {"start_without_boxes",
     [](const CVAR& r, const Outputs& out) {
       EXPECT_EQ(out.name, "leak");
       EXPECT_TRUE(r.Objects.empty());
       EXPECT_TRUE(r.Events.empty());
       EXPECT_TRUE(r.Thumbnail.empty());
       EXPECT_EQ(r.Time, "20201008123527125_0");
     }},
    // Coordinates beyond the frame end at the int range; an image that is no
    // string gives no thumbnail; class names in any case.
    {"start_image_number",
     [](const CVAR& r, const Outputs&) {
       ASSERT_EQ(r.Objects.size(), 2u);
       EXPECT_EQ(r.Objects[0].Classes, (Classes{{2001, 0.6f}}));
       EXPECT_EQ(r.Objects[0].Box, (CVARBox{0, 0, INT_MAX, INT_MIN}));
       EXPECT_EQ(r.Objects[1].Classes, (Classes{{43, 0.7f}}));
       ASSERT_EQ(r.Events.size(), 1u);
       EXPECT_EQ(r.Events[0].Class, 43);
       EXPECT_TRUE(r.Thumbnail.empty());
     }},
    {"boxes_object",
     [](const CVAR& r, const Outputs&) {
       EXPECT_TRUE(r.Objects.empty());
       EXPECT_TRUE(r.Events.empty());
     }},
    // An engine time that no calendar holds leaves the result time empty.
    {"time_negative",
     [](const CVAR& r, const Outputs&) {
       EXPECT_EQ(r.EventTime, SystemTime{});
       EXPECT_EQ(r.Time, "");
       EXPECT_EQ(r.Type, "a");
     }},
    {"time_huge", [](const CVAR& r, const Outputs&) {
       EXPECT_EQ(r.EventTime, SystemTime{});
       EXPECT_EQ(r.Time, "");
     }},
};

TEST(VARSerializerOGQ, ReadsEachRuleOfTheEngine) {
  ScopedTimeZone utc("UTC0");
  for (const ResultCase& c : kResultCases) {
    SCOPED_TRACE(c.fixture);
    CVAR result;
    Outputs out;
    ASSERT_TRUE(Read(c.fixture, &result, &out));
    c.check(result, out);
  }
}

TEST(VARSerializerOGQ, TimeIsLocal) {
  ScopedTimeZone seoul("KST-9");
  CVAR result;
  Outputs out;
  ASSERT_TRUE(Read("start", &result, &out));
  EXPECT_EQ(result.Time, "20201008213527500_0");
  EXPECT_EQ(result.EventTime.hour, 21);
}

TEST(VARSerializerOGQ, MissingOrMistypedRootMemberIsRefusedWithoutALog) {
  for (const char* fixture : {"refuse_start_integer", "refuse_time_integer", "refuse_no_box_count",
                              "refuse_camera_text", "refuse_no_status"}) {
    SCOPED_TRACE(fixture);
    ProcessLogCapture log;
    CVAR result;
    Outputs out;
    EXPECT_FALSE(Read(fixture, &result, &out));
    EXPECT_EQ(log.Text(), "");
    EXPECT_EQ(result.Type, "");
    EXPECT_EQ(out.camera, -99);
    EXPECT_EQ(out.name, "unset");
  }
}

TEST(VARSerializerOGQ, TextThatDoesNotParseIsLogged) {
  ProcessLogCapture log;
  CVAR result;
  Outputs out;
  EXPECT_FALSE(Read("not_json", &result, &out));
  EXPECT_NE(log.Text().find(" parse failed!!"), std::string::npos) << log.Text();
  EXPECT_NE(log.Text().find(ReadEngineFixture("ogq", "not_json")), std::string::npos) << log.Text();
}

TEST(VARSerializerOGQ, OutputsMayBeNull) {
  std::string text = ReadEngineFixture("ogq", "start");
  CVAR result;
  EXPECT_TRUE(CVARSerializerOGQ::Deserialize(text.c_str(), 0, &result, nullptr, nullptr));
  EXPECT_EQ(result.Objects.size(), 2u);
}

TEST(VARSerializerOGQ, ClassNamesInAnyCase) {
  const std::pair<const char*, int> cases[] = {{"person", 44}, {"PERSON", 44}, {"flame", 42}, {"Smoke", 43},
                                               {"water", 2001}, {"fire", 0},   {"", 0}};
  for (const auto& [name, code] : cases) EXPECT_EQ(CVARSerializerOGQ::GetClassCode(name), code) << name;
}

}  // namespace
