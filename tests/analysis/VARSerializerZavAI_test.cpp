#include "analysis/VARSerializerZavAI.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "AnalysisFixtures.h"
#include "analysis/VARSerializer.h"
#include "foundation/ProcessLogCapture.h"

namespace {

using Ints = std::vector<int>;
using Classes = std::vector<std::pair<int, float>>;
using Names = std::vector<std::string>;

// Reads zavai_data/<fixture>.json as the metadata client does.
bool ReadZav(const std::string& fixture, CVAR* result, Names* names) {
  std::string buffer = ReadEngineFixture("zavai", fixture);
  return CVARSerializerZavAI::Deserialize(buffer.data(), static_cast<int>(buffer.size()), result, names);
}

struct ZavResultCase {
  const char* fixture;
  std::function<void(const CVAR&, const Names&)> check;
};

const ZavResultCase kZavResultCases[] = {
    // Numbered classes paired with their confidences; a class written 10.0 is
    // no class; "b" that is no object leaves the box alone.
    {"classes",
     [](const CVAR& r, const Names& names) {
       EXPECT_EQ(r.Type, "a");
       EXPECT_EQ(r.Channel, 2);
       EXPECT_EQ(r.Width, 1920);
       EXPECT_EQ(r.Height, 1080);
       EXPECT_EQ(r.Time, "20201008123456789");
       ASSERT_EQ(r.Objects.size(), 4u);
       EXPECT_EQ(r.Objects[0].Classes, (Classes{{2002, 0.9f}, {-1, 0.5f}, {2003, 0.7f}}));
       EXPECT_EQ(r.Objects[0].Box, (CVARBox{10, 20, 40, 60}));
       EXPECT_EQ(r.Objects[1].Classes, (Classes{{2003, 0.25f}, {2004, 0.0f}}));
       EXPECT_TRUE(r.Objects[2].Classes.empty());
       EXPECT_EQ(r.Objects[3].Classes, (Classes{{2002, 0.0f}}));
       EXPECT_EQ(r.Objects[3].Box, CVARBox{});
       EXPECT_TRUE(r.IndexBuilt);
       ASSERT_NE(r.FindObject(2), nullptr);
       EXPECT_EQ(r.FindObject(2)->Classes[0].first, 2003);
       EXPECT_TRUE(r.Events.empty());
       EXPECT_TRUE(names.empty());
     }},
    // Colours: "w" alone; "t" then "b"; "b" alone after a 0; a number or an
    // unknown name as the rules say; "clr" that is no object gives nothing.
    {"colors",
     [](const CVAR& r, const Names&) {
       std::vector<Ints> colors;
       for (const CVARObject& object : r.Objects) colors.push_back(object.Colors);
       EXPECT_EQ(colors, (std::vector<Ints>{{4}, {3, 1}, {0, 8}, {}, {101}, {}, {0}}));
       EXPECT_TRUE(r.Events.empty());  // no item names a region
     }},
    // Two items of one class and track give one event named by the item of a
    // region above 0 that has a name.
    {"group_pair",
     [](const CVAR& r, const Names& names) {
       ASSERT_EQ(r.Events.size(), 1u);
       EXPECT_EQ(r.Events[0].Class, 2002);
       EXPECT_EQ(r.Events[0].TrackID, 5);
       EXPECT_EQ(r.Events[0].ROINumbers, (Ints{1, 2}));
       EXPECT_EQ(r.Events[0].Levels, (Ints{0, 0}));
       EXPECT_TRUE(r.Events[0].LineNumbers.empty());
       EXPECT_EQ(names, (Names{"Intrusion"}));
       ASSERT_EQ(r.Objects.size(), 2u);
       EXPECT_EQ(r.Objects[1].ROINumbers, (Ints{2}));
     }},
    // "N" objects take the place of "DO" objects; groups come in class, then
    // track order; region 0 joins without naming; no integer "rid" joins
    // nothing; an item without a class joins the group of class -1.
    {"groups",
     [](const CVAR& r, const Names& names) {
       ASSERT_EQ(r.Objects.size(), 7u);
       EXPECT_EQ(r.FindObject(99), nullptr);
       EXPECT_TRUE(r.Objects[3].ROINumbers.empty());
       ASSERT_EQ(r.Events.size(), 3u);
       EXPECT_EQ(r.Events[0].Class, -1);
       EXPECT_EQ(r.Events[0].TrackID, 8);
       EXPECT_EQ(r.Events[0].ROINumbers, (Ints{3}));
       EXPECT_EQ(r.Events[1].Class, 2002);
       EXPECT_EQ(r.Events[1].TrackID, 5);
       EXPECT_EQ(r.Events[1].ROINumbers, (Ints{1, 2, 0}));
       EXPECT_EQ(r.Events[1].Levels, (Ints{0, 0, 0}));
       EXPECT_EQ(r.Events[2].Class, 2003);
       EXPECT_EQ(r.Events[2].TrackID, 3);
       EXPECT_EQ(names, (Names{"Fall", "Intrusion", "Loitering"}));
     }},
    {"thumbnail",
     [](const CVAR& r, const Names&) {
       EXPECT_EQ(r.Thumbnail, "dGh1bWI=");
       EXPECT_EQ(r.Channel, 3);
       ASSERT_EQ(r.Objects.size(), 1u);
       EXPECT_EQ(r.Objects[0].Classes, (Classes{{2004, 0.0f}}));
     }},
};

TEST(VARSerializerZavAI, ReadsEachRuleOfTheEngine) {
  for (const ZavResultCase& c : kZavResultCases) {
    SCOPED_TRACE(c.fixture);
    CVAR result;
    Names names;
    ASSERT_TRUE(ReadZav(c.fixture, &result, &names));
    c.check(result, names);
  }
}

TEST(VARSerializerZavAI, TextThatIsNoObjectIsLoggedAndRefused) {
  for (const char* fixture : {"not_json", "array_root"}) {
    SCOPED_TRACE(fixture);
    ProcessLogCapture log;
    CVAR result;
    Names names;
    EXPECT_FALSE(ReadZav(fixture, &result, &names));
    EXPECT_NE(log.Text().find(" parse failed!!"), std::string::npos) << log.Text();
    EXPECT_NE(log.Text().find(ReadEngineFixture("zavai", fixture)), std::string::npos) << log.Text();
    EXPECT_TRUE(names.empty());
  }
}

TEST(VARSerializerZavAI, KnowsOnlyResultsAndKeepAlives) {
  const std::pair<const char*, int> cases[] = {
      {R"({"T":"a","C":1})", VAR_MESSAGE_RESULT},
      {R"({"T":"h"})", VAR_MESSAGE_KEEPALIVE},
      {R"({"T":"c","AC":[]})", VAR_MESSAGE_OTHER},
      {R"({"T":"ab"})", VAR_MESSAGE_OTHER},
      {R"({"C":1})", VAR_MESSAGE_OTHER},
  };
  for (const auto& [text, type] : cases) EXPECT_EQ(CVARSerializerZavAI::GetMessageType(text), type) << text;
}

TEST(VARSerializerZavAI, NamesAndNumbersMapToCodes) {
  const std::pair<int, int> classes[] = {{10, 2002}, {50, 2003}, {51, 2003}, {70, 2004}, {0, -1}, {11, -1}};
  for (const auto& [engine, code] : classes) EXPECT_EQ(CVARSerializerZavAI::GetClassCode(engine), code) << engine;
  const std::pair<const char*, int> colors[] = {
      {"black", 1}, {"Gray", 2},   {"WHITE", 3},   {"red", 4},     {"orange", 5},  {"yellow", 6}, {"green", 7},
      {"blue", 8},  {"navy", 9},   {"purple", 10}, {"pink", 101},  {"brown", 102}, {"beige", 103}, {"violet", 0},
      {"", 0},      {"re", 0},     {"redd", 0},
  };
  for (const auto& [name, code] : colors) EXPECT_EQ(CVARSerializerZavAI::GetColorCode(name), code) << name;
}

}  // namespace
