#include "analysis/VARSerializer.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "AnalysisFixtures.h"
#include "foundation/ProcessLogCapture.h"

namespace {

using Ints = std::vector<int>;
using Classes = std::vector<std::pair<int, float>>;

// Reads data/<fixture>.json into `result` as the metadata client does.
bool ReadVar(const std::string& fixture, CVAR* result, std::string* text = nullptr) {
  std::string buffer = ReadFixture(fixture);
  bool parsed = CVARSerializer::Deserialize(buffer.data(), static_cast<int>(buffer.size()), result);
  if (text) *text = buffer.c_str();  // up to the first zero byte, as the reader left it
  return parsed;
}

// One rule of the reader: a fixture and what the result must hold.
struct VarResultCase {
  const char* fixture;
  std::function<void(const CVAR&)> check;
};

const VarResultCase kVarResultCases[] = {
    {"result_header",
     [](const CVAR& r) {
       EXPECT_EQ(r.Type, "a");
       EXPECT_EQ(r.Width, 640);
       EXPECT_EQ(r.Height, 480);
       EXPECT_EQ(r.Channel, 7);
       EXPECT_EQ(r.Time, "20201008123456789_12");
       EXPECT_EQ(r.ST, "20201008120000000");
       EXPECT_EQ(r.ET, "20201008130000000");
       EXPECT_EQ(r.Gap, 15);
       EXPECT_EQ(r.VasID, -1);
       EXPECT_EQ(r.Reserved, -1);
       EXPECT_TRUE(r.IndexBuilt == false && r.Objects.empty());
     }},
    // No "C": the result parses and keeps channel -1, so its client drops it.
    {"result_no_channel", [](const CVAR& r) { EXPECT_EQ(r.Channel, -1); }},
    // Boxes: right = l + w, bottom = t + h; a missing or non-integer l or t reads 0.
    {"result_boxes",
     [](const CVAR& r) {
       ASSERT_EQ(r.Objects.size(), 4u);
       EXPECT_EQ(r.Objects[0].Box, (CVARBox{10, 20, 40, 60}));
       EXPECT_EQ(r.Objects[1].Box, (CVARBox{0, 0, 5, 6}));
       EXPECT_EQ(r.Objects[2].Box, (CVARBox{0, 0, 3, 4}));
       EXPECT_EQ(r.Objects[3].Box.left, 2147483647);  // the sum wraps, no overflow trap
       EXPECT_TRUE(r.IndexBuilt);
       ASSERT_NE(r.FindObject(3), nullptr);
       EXPECT_EQ(r.FindObject(3)->Box, (CVARBox{0, 0, 3, 4}));
     }},
    // "o"/"c" pairing: only real confidences count; a class without one gets 0.
    {"result_classes",
     [](const CVAR& r) {
       ASSERT_EQ(r.Objects.size(), 3u);
       EXPECT_EQ(r.Objects[0].Classes, (Classes{{5, 0.9f}}));
       EXPECT_EQ(r.Objects[1].Classes, (Classes{{5, 0.8f}, {6, 0.0f}, {7, 0.0f}}));
       EXPECT_EQ(r.Objects[2].Classes, (Classes{{1, 0.5f}, {4, 0.25f}}));
     }},
    // "cid": [0] alone means no colours; elements outside 0-10 are left out.
    {"result_colors",
     [](const CVAR& r) {
       ASSERT_EQ(r.Objects.size(), 5u);
       EXPECT_EQ(r.Objects[0].Colors, Ints{});
       EXPECT_EQ(r.Objects[1].Colors, (Ints{0, 3}));
       EXPECT_EQ(r.Objects[2].Colors, Ints{4});
       EXPECT_EQ(r.Objects[3].Colors, Ints{});
       EXPECT_EQ(r.Objects[4].Colors, Ints{7});
     }},
    // Details: a plate written with a face, in either order, wins whole.
    {"result_details",
     [](const CVAR& r) {
       ASSERT_EQ(r.Objects.size(), 5u);
       const CVARObject& face = r.Objects[0];
       EXPECT_EQ(face.DetailKind, VAR_DETAIL_FACE);
       EXPECT_EQ(face.DetailN, 3);
       EXPECT_FLOAT_EQ(face.DetailC, 0.5f);
       EXPECT_EQ(face.DetailFM, "abc");
       EXPECT_EQ(r.Objects[1].DetailKind, VAR_DETAIL_PLATE);
       EXPECT_EQ(r.Objects[1].DetailText, "12A3456");
       for (int i : {2, 3}) {
         const CVARObject& both = r.Objects[i];
         EXPECT_EQ(both.DetailKind, VAR_DETAIL_PLATE) << i;
         EXPECT_EQ(both.DetailText, i == 2 ? "99B9999" : "11C1111");
         EXPECT_EQ(both.DetailN, 0);
         EXPECT_TRUE(both.DetailFM.empty());
       }
       // A face whose members have other types still says it is a face.
       EXPECT_EQ(r.Objects[4].DetailKind, VAR_DETAIL_FACE);
       EXPECT_EQ(r.Objects[4].DetailN, 0);
       EXPECT_TRUE(r.Objects[4].DetailFM.empty());
     }},
    // "N": one level 0 per region; "E" items keep their integer numbers.
    {"result_regions",
     [](const CVAR& r) {
       ASSERT_EQ(r.Events.size(), 2u);
       EXPECT_EQ(r.Events[0].Class, 1);
       EXPECT_EQ(r.Events[0].TrackID, 9);
       EXPECT_EQ(r.Events[0].ROINumbers, (Ints{3, 4}));
       EXPECT_EQ(r.Events[0].Levels, (Ints{0, 0}));
       EXPECT_TRUE(r.Events[0].LineNumbers.empty());
       EXPECT_EQ(r.Events[1].Levels, Ints{});
       ASSERT_EQ(r.EItems.size(), 1u);
       EXPECT_EQ(r.EItems[0].Class, 4);
       EXPECT_EQ(r.EItems[0].TrackID, 5);
       EXPECT_EQ(r.EItems[0].Numbers, (Ints{6, 7}));
     }},
    // "N"/"E" items without an integer "o" or "t" carry 0, not the previous item's value.
    {"result_untagged_events",
     [](const CVAR& r) {
       ASSERT_EQ(r.Events.size(), 3u);
       EXPECT_EQ(r.Events[1].Class, 0);
       EXPECT_EQ(r.Events[1].TrackID, 2);
       EXPECT_EQ(r.Events[2].Class, 0);
       EXPECT_EQ(r.Events[2].TrackID, 0);
       ASSERT_EQ(r.EItems.size(), 2u);
       EXPECT_EQ(r.EItems[1].Class, 0);
       EXPECT_EQ(r.EItems[1].TrackID, 0);
     }},
    // "P" without an integer "I" changes nothing through its "C", "T" or "E".
    {"result_line_without_number",
     [](const CVAR& r) {
       EXPECT_TRUE(r.LineCounts.empty());
       EXPECT_TRUE(r.Events.empty());
       ASSERT_EQ(r.Objects.size(), 1u);
       EXPECT_EQ(r.Objects[0].LineState, VAR_LINE_NONE);
       EXPECT_EQ(r.Objects[0].CCW, 0);
     }},
    // "C" replaces the line's counts (later entry of a class wins); no "C" keeps them.
    {"result_line_counts",
     [](const CVAR& r) {
       EXPECT_EQ(r.LineCounts, (CVARLineCounts{{3, {{4, {5, 6}}}}, {5, CVARClassCounts{}}}));
     }},
    // Line states S/O/E read exactly; "s" gives 0; an entry without "ccw" or
    // naming no object is passed over.
    {"result_line_states",
     [](const CVAR& r) {
       ASSERT_EQ(r.Objects.size(), 5u);
       const int states[] = {VAR_LINE_START, VAR_LINE_ON, VAR_LINE_END, VAR_LINE_NONE, VAR_LINE_NONE};
       const int ccw[] = {1, 0, 1, 1, 0};
       for (int i = 0; i < 5; ++i) {
         EXPECT_EQ(r.Objects[i].LineState, states[i]) << i;
         EXPECT_EQ(r.Objects[i].CCW, ccw[i]) << i;
       }
     }},
    // Line events join the first "N" event of their class (a track of -1 takes
    // theirs), or append one; an entry without "d" is passed over.
    {"result_line_events",
     [](const CVAR& r) {
       ASSERT_EQ(r.Events.size(), 4u);
       EXPECT_EQ(r.Events[0].Class, 7);
       EXPECT_EQ(r.Events[0].LineNumbers, Ints{3});
       EXPECT_EQ(r.Events[0].TrackID, 5);
       EXPECT_EQ(r.Events[1].Class, 9);
       EXPECT_EQ(r.Events[1].LineNumbers, Ints{3});
       EXPECT_EQ(r.Events[1].TrackID, 4);
       EXPECT_TRUE(r.Events[2].LineNumbers.empty());
       EXPECT_EQ(r.Events[3].Class, 8);
       EXPECT_EQ(r.Events[3].TrackID, 6);
       EXPECT_EQ(r.Events[3].LineNumbers, (Ints{3, 3}));
       EXPECT_TRUE(r.Events[3].ROINumbers.empty() && r.Events[3].Levels.empty());
     }},
    // "PG" takes its line from the first element of "L"; it needs an integer
    // "I" and a non-empty "L" of an integer first.
    {"result_line_groups",
     [](const CVAR& r) {
       ASSERT_EQ(r.Events.size(), 2u);
       EXPECT_EQ(r.Events[0].Class, 2);
       EXPECT_EQ(r.Events[0].LineNumbers, Ints{6});
       EXPECT_EQ(r.Events[1].Class, 5);
       EXPECT_EQ(r.Events[1].LineNumbers, Ints{6});
       EXPECT_EQ(r.Events[1].TrackID, 4);
       EXPECT_EQ(r.Objects[0].LineState, VAR_LINE_ON);
       EXPECT_EQ(r.Objects[0].CCW, 0);
       EXPECT_EQ(r.Objects[1].LineState, VAR_LINE_NONE);
     }},
    // "CWD"/"WL": "W" written 2 is passed over, 2.0 taken; each raising item
    // gives one event with its own region and level.
    {"result_readings",
     [](const CVAR& r) {
       ASSERT_EQ(r.CrowdDensities.size(), 3u);
       const CVARCrowdDensity& first = r.CrowdDensities[0];
       EXPECT_EQ(first.ROINumber, 1);
       EXPECT_EQ(first.Level, 2);
       EXPECT_FLOAT_EQ(first.Density, 0.75f);
       EXPECT_EQ(first.Count, 12);
       EXPECT_EQ(first.Event, 1);
       EXPECT_EQ(first.Boxes, (std::vector<CVARBox>{{1, 2, 4, 6}, {5, 0, 5, 0}, {0, 0, 0, 0}}));
       EXPECT_EQ(r.CrowdDensities[1].ROINumber, 3);
       EXPECT_FLOAT_EQ(r.CrowdDensities[1].Density, 2.0f);
       EXPECT_EQ(r.CrowdDensities[2].Event, 0);
       ASSERT_EQ(r.WaterLevels.size(), 3u);
       EXPECT_EQ(r.WaterLevels[0].ROINumber, 5);
       EXPECT_FLOAT_EQ(r.WaterLevels[0].Value, 1.5f);
       EXPECT_EQ(r.WaterLevels[1].ROINumber, 7);
       ASSERT_EQ(r.Events.size(), 4u);
       const int regions[] = {1, 3, 5, 7};
       const int levels[] = {2, 4, 1, 2};
       for (int i = 0; i < 4; ++i) {
         EXPECT_EQ(r.Events[i].Class, -1) << i;
         EXPECT_EQ(r.Events[i].TrackID, 0) << i;
         EXPECT_EQ(r.Events[i].ROINumbers, Ints{regions[i]}) << i;
         EXPECT_EQ(r.Events[i].Levels, Ints{levels[i]}) << i;
       }
     }},
    // Event order: "N", then line, then crowd, then water, whatever the text order.
    {"result_event_order",
     [](const CVAR& r) {
       ASSERT_EQ(r.Events.size(), 4u);
       EXPECT_EQ(r.Events[0].Class, 10);
       EXPECT_EQ(r.Events[1].Class, 20);
       EXPECT_EQ(r.Events[2].ROINumbers, Ints{8});
       EXPECT_EQ(r.Events[3].ROINumbers, Ints{9});
     }},
    // Members and containers of other types are passed over like missing ones.
    {"result_wrong_types",
     [](const CVAR& r) {
       EXPECT_TRUE(r.Type.empty() && r.Time.empty() && r.ST.empty() && r.ET.empty());
       EXPECT_EQ(r.Width, 0);
       EXPECT_EQ(r.Height, 0);
       EXPECT_EQ(r.Gap, 0);
       EXPECT_EQ(r.Channel, 4);
       ASSERT_EQ(r.Objects.size(), 1u);
       const CVARObject& object = r.Objects[0];
       EXPECT_EQ(object.Box, CVARBox());
       EXPECT_TRUE(object.Classes.empty() && object.ROINumbers.empty() && object.Colors.empty());
       EXPECT_EQ(object.DetailKind, VAR_DETAIL_NONE);
       EXPECT_EQ(object.ID, 0);
       EXPECT_EQ(object.ReID, 0);
       EXPECT_TRUE(r.Events.empty() && r.EItems.empty() && r.LineCounts.empty());
       EXPECT_TRUE(r.CrowdDensities.empty() && r.WaterLevels.empty());
     }},
    {"result_wrong_item_types",
     [](const CVAR& r) {
       EXPECT_EQ(r.LineCounts, (CVARLineCounts{{2, CVARClassCounts{}}}));
       ASSERT_EQ(r.Events.size(), 1u);
       EXPECT_TRUE(r.Events[0].LineNumbers.empty());
       EXPECT_EQ(r.Objects[0].LineState, VAR_LINE_NONE);
       EXPECT_TRUE(r.CrowdDensities.empty() && r.WaterLevels.empty());
     }},
};

TEST(VARSerializer, DeserializeFollowsEachRule) {
  for (const VarResultCase& c : kVarResultCases) {
    SCOPED_TRACE(c.fixture);
    CVAR result;
    ASSERT_TRUE(ReadVar(c.fixture, &result));
    c.check(result);
  }
}

TEST(VARSerializer, DeserializeReadsAWholeResult) {
  CVAR result;
  std::string text;
  ASSERT_TRUE(ReadVar("result_full", &result, &text));
  EXPECT_EQ(result.Channel, 3);
  EXPECT_EQ(result.Thumbnail, "/9j/4AAQSkZJRg==");
  EXPECT_EQ(result.GetTimestamp(), (SystemTime{2020, 10, 0, 8, 12, 34, 56, 789}));
  ASSERT_EQ(result.Objects.size(), 3u);
  EXPECT_EQ(result.FindObject(12)->LineState, VAR_LINE_ON);
  EXPECT_EQ(result.FindObject(13)->LineState, VAR_LINE_END);
  EXPECT_EQ(result.FindObject(13)->DetailText, "12A3456");
  // N class 1 (joined by the line event), N class 3 (joined by the group event), crowd, water.
  ASSERT_EQ(result.Events.size(), 4u);
  EXPECT_EQ(result.Events[0].LineNumbers, Ints{1});
  EXPECT_EQ(result.Events[1].LineNumbers, Ints{2});
  EXPECT_EQ(result.Events[2].Class, -1);
  EXPECT_EQ(result.Events[3].ROINumbers, Ints{2});
  EXPECT_EQ(result.LineCounts, (CVARLineCounts{{1, {{1, {4, 2}}}}}));
  EXPECT_EQ(text.back(), '}');
}

// Thumbnail cut: what ends up in Thumbnail and which text the parser saw.
struct ThumbnailCase {
  const char* fixture;
  const char* thumbnail;
  const char* parsedText;  // the text left in the buffer
};

TEST(VARSerializer, ThumbnailIsCutOnlyFromAConformingEnd) {
  const ThumbnailCase cases[] = {
      {"thumbnail_cut", "abc", R"({"T":"a","C":1})"},
      {"thumbnail_size_zero", "", R"({"T":"a","C":1,"X":"","t_size":0})"},
      {"thumbnail_key_too_early", "", R"({"T":"a","C":1,"X":"abc","t_size":3,"pad":"abcdefghijklm"})"},
      // A size beyond the start of the text, or one that does not match the
      // bytes before the key, cuts nothing (and writes nothing before the buffer).
      {"thumbnail_size_too_large", "", R"({"X":"abc","t_size":999})"},
      {"thumbnail_size_mismatch", "", R"({"T":"a","C":1,"X":"abcd","t_size":3})"},
      {"thumbnail_size_negative", "", R"({"T":"a","C":1,"X":"abc","t_size":-3})"},
  };
  for (const ThumbnailCase& c : cases) {
    SCOPED_TRACE(c.fixture);
    CVAR result;
    std::string text;
    ASSERT_TRUE(ReadVar(c.fixture, &result, &text));
    EXPECT_EQ(result.Thumbnail, c.thumbnail);
    EXPECT_EQ(text, c.parsedText);
  }
}

TEST(VARSerializer, CutThumbnailNeedsTenCharacters) {
  char text[] = R"({"t_size":)";  // nine characters
  CVAR result;
  EXPECT_FALSE(CVARSerializer::CutThumbnail(text, 9, &result));
  EXPECT_STREQ(text, R"({"t_size":)");
}

TEST(VARSerializer, TextThatDoesNotParseIsLoggedAndRefused) {
  const char* fixtures[] = {"parse_not_json", "parse_trailing_text", "type_unterminated",
                            // A root that is no object is no result: refused the same way.
                            "parse_array_root", "parse_number_root"};
  for (const char* fixture : fixtures) {
    SCOPED_TRACE(fixture);
    ProcessLogCapture log;
    CVAR result;
    EXPECT_FALSE(ReadVar(fixture, &result));
    std::string logged = log.Text();
    EXPECT_NE(logged.find(" parse failed!!"), std::string::npos) << logged;
    EXPECT_NE(logged.find(ReadFixture(fixture)), std::string::npos) << logged;
    EXPECT_EQ(result.Channel, -1);
  }
  ProcessLogCapture log;
  CVAR result;
  EXPECT_TRUE(ReadVar("parse_trailing_blanks", &result));
  EXPECT_EQ(result.Channel, 1);
  EXPECT_EQ(log.Text(), "");
}

// Nesting beyond a few hundred levels is refused rather than parsed on the
// parser thread's stack; a result nested 256 levels deep still reads.
TEST(VARSerializer, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  auto nested = [](int depth) {
    return R"({"T":"a","C":1,"X":)" + std::string(depth - 1, '[') + std::string(depth - 1, ']') + "}";
  };
  for (int depth : {256, 257, 1000000}) {
    ProcessLogCapture log;
    std::string text = nested(depth);
    CVAR result;
    bool parsed = CVARSerializer::Deserialize(text.data(), static_cast<int>(text.size()), &result);
    EXPECT_EQ(parsed, depth <= 256) << depth;
    EXPECT_EQ(result.Channel, depth <= 256 ? 1 : -1) << depth;
    CVARAllCounts counts;
    EXPECT_FALSE(CVARSerializer::DeserializeAllCount(text.c_str(), 0, &counts));
  }
}

TEST(VARSerializer, ParseFailureNamesTheReaderAsCallSite) {
  ProcessLogCapture log;
  CGenericLogger* logger = GetProcessLogger();
  logger->SetLevelFlags(CGenericLogger::kDefaultLevel, LOG_OUTPUT_DEBUGGER | LOG_OUTPUT_FUNCTION);
  CVAR result;
  EXPECT_FALSE(ReadVar("parse_not_json", &result));
  EXPECT_NE(log.Text().find("CVARSerializer::Deserialize"), std::string::npos) << log.Text();
}

TEST(VARSerializer, MessageTypeReadsTheFirstTypeValueOnly) {
  const std::pair<const char*, int> cases[] = {
      {"result_header", VAR_MESSAGE_RESULT},
      {"type_keepalive", VAR_MESSAGE_KEEPALIVE},
      {"type_count", VAR_MESSAGE_ALL_COUNT},
      {"allcount_one", VAR_MESSAGE_ALL_COUNT},
      {"type_empty", VAR_MESSAGE_OTHER},
      {"type_two_characters", VAR_MESSAGE_OTHER},
      {"type_blank", VAR_MESSAGE_OTHER},
      {"type_no_key", VAR_MESSAGE_OTHER},
      {"type_first_only", VAR_MESSAGE_KEEPALIVE},
      {"type_unterminated", VAR_MESSAGE_OTHER},
  };
  for (const auto& [fixture, type] : cases) {
    std::string text = ReadFixture(fixture);
    EXPECT_EQ(CVARSerializer::GetMessageType(text.c_str()), type) << fixture;
  }
  EXPECT_EQ(CVARSerializer::GetMessageType(nullptr), VAR_MESSAGE_OTHER);
}

// All-object counts: the map left behind, the result and the error logged.
struct AllCountCase {
  const char* fixture;
  bool ok;
  CVARAllCounts expected;
  const char* logged;  // "" when nothing must be logged
};

TEST(VARSerializer, AllCountFillsChannelsUntilTheFirstBadItem) {
  const CVARLineCounts one = {{2, CVARClassCounts{{5, {3, 4}}}}};
  const CVARLineCounts seven = {{1, CVARClassCounts{{2, {2, 2}}}}};
  const CVARAllCounts stale = {{1, {{9, CVARClassCounts{{1, {1, 1}}}}}}, {7, seven}};
  const AllCountCase cases[] = {
      {"allcount_one", true, {{1, one}, {7, seven}}, ""},
      {"allcount_second_without_lines", false, {{1, one}, {7, seven}},
       "ERROR - HasMember() for VARSERIALIZER_LINE_CROSS failed."},
      {"allcount_lines_not_array", false, stale, "ERROR - HasMember() for VARSERIALIZER_LINE_CROSS failed."},
      {"allcount_no_channels", false, stale, "ERROR - CheckString() for VARSERIALIZER_ALL_COUNT failed."},
      {"allcount_channels_not_array", false, stale, "ERROR - CheckString() for VARSERIALIZER_ALL_COUNT failed."},
      {"allcount_bad_channel", false, {{1, CVARLineCounts{}}, {7, seven}},
       "ERROR - CheckInt() for VARSERIALIZER_CHANNEL_NO failed."},
      // Line items without an integer "I" or without "C" are passed over; a
      // later entry of a class wins.
      {"allcount_refill", true, {{1, {{2, CVARClassCounts{{5, {3, 4}}}}, {4, CVARClassCounts{{6, {9, 10}}}}}}, {7, seven}}, ""},
      {"parse_not_json", false, stale, "ERROR - Object all count parsing failed!!"},
      {"parse_array_root", false, stale, "ERROR - Object all count parsing failed!!"},
  };
  for (const AllCountCase& c : cases) {
    SCOPED_TRACE(c.fixture);
    ProcessLogCapture log;
    CVARAllCounts counts = stale;
    std::string text = ReadFixture(c.fixture);
    EXPECT_EQ(CVARSerializer::DeserializeAllCount(text.c_str(), static_cast<int>(text.size()), &counts), c.ok);
    EXPECT_EQ(counts, c.expected);
    if (*c.logged) {
      EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
    } else {
      EXPECT_EQ(log.Text(), "");
    }
  }
}

TEST(VARSerializer, ParsersRunConcurrentlyOnTheirOwnTexts) {
  CVAR expected;
  ASSERT_TRUE(ReadVar("result_full", &expected));
  const std::string full = ReadFixture("result_full");
  const std::string counts = ReadFixture("allcount_refill");
  std::vector<std::thread> threads;
  std::vector<int> mismatches(8, 0);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 200; ++i) {
        std::string text = full;
        CVAR result;
        bool ok = CVARSerializer::Deserialize(text.data(), static_cast<int>(text.size()), &result);
        if (!ok || result.Events.size() != expected.Events.size() || result.Thumbnail != expected.Thumbnail ||
            result.LineCounts != expected.LineCounts)
          ++mismatches[t];
        CVARAllCounts map;
        if (!CVARSerializer::DeserializeAllCount(counts.c_str(), 0, &map) || map.size() != 1) ++mismatches[t];
        if (CVARSerializer::GetMessageType(full.c_str()) != VAR_MESSAGE_RESULT) ++mismatches[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches, std::vector<int>(8, 0));
}

}  // namespace
