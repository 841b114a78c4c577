// Settings/Hidden.xml in a temporary program folder.
#include "shell/HiddenSettings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "foundation/ProcessLogCapture.h"
#include "foundation/XmlCfg.h"
#include "ProgramFolderFixture.h"
#include "shell/AppFolders.h"

namespace {

// The nine getters, as one line of text.
std::string AllValues(const CXmlCfg& hidden) {
  return std::to_string(Hidden_GetEventServerHttpPort(hidden)) + "|" +
         std::to_string(Hidden_GetVAEventDwellTime(hidden)) + "|" +
         std::to_string(Hidden_GetVAEventPollingStatusType(hidden)) + "|" +
         Hidden_GetVAEventPollingCameraPrefix(hidden) + "|" + Hidden_GetVAEventPollingEventPrefix(hidden) + "|" +
         std::to_string(Hidden_IsBIoTEnabled(hidden)) + "|" + Hidden_GetBIoTSiteID(hidden) + "|" +
         std::to_string(Hidden_GetBIoTEventInterval(hidden)) + "|" +
         std::to_string(Hidden_GetDebugUseLogFile(hidden));
}

constexpr const char* kDefaults = "85|3|1|||0|D816586224|15|0";

class HiddenSettingsTest : public ProgramFolderFixture {};

TEST_F(HiddenSettingsTest, MissingFileIsCreatedFromTheBuiltInText) {
  EXPECT_EQ(strlen(kHiddenSettingsDefaultText), 410u);
  CXmlCfg hidden;
  Hidden_Load(hidden);
  EXPECT_EQ(AllValues(hidden), kDefaults);
  ASSERT_TRUE(Exists(GetHiddenSettingsFilePath()));
  // The store's writer drops the empty elements' inner line form, keeping elements and values.
  CXmlCfg reread;
  ASSERT_TRUE(reread.Load(GetHiddenSettingsFilePath()));
  EXPECT_EQ(AllValues(reread), kDefaults);
  EXPECT_EQ(reread.GetTokens().GetCount(), 11);
}

TEST_F(HiddenSettingsTest, UnparsableFileGivesTheDefaultsAndStaysUntouched) {
  ASSERT_TRUE(WriteTestFile(GetHiddenSettingsFilePath(), "no xml here"));
  CXmlCfg hidden;
  Hidden_Load(hidden);
  EXPECT_EQ(AllValues(hidden), kDefaults);
  EXPECT_EQ(ReadTestFile(GetHiddenSettingsFilePath()), "no xml here");
}

TEST_F(HiddenSettingsTest, PresentElementsAreReadAndOnlyAbsentOnesDefault) {
  struct Case {
    const char* name;
    const char* text;
    const char* values;
  };
  const Case cases[] = {
      {"all set",
       "<Hidden><EventServer><HttpPort>8085</HttpPort><VAEventDwellTime>7</VAEventDwellTime>"
       "<VAEventPollingStatusType>2</VAEventPollingStatusType>"
       "<VAEventPollingCameraPrefix>cam_</VAEventPollingCameraPrefix>"
       "<VAEventPollingEventPrefix>evt_</VAEventPollingEventPrefix></EventServer>"
       "<BIoT><Enable>1</Enable><SiteID>S1</SiteID><EventInterval>30</EventInterval></BIoT>"
       "<Debug><UseLogFile>2</UseLogFile></Debug></Hidden>",
       "8085|7|2|cam_|evt_|1|S1|30|2"},
      {"empty elements read as 0",
       "<Hidden><EventServer><VAEventDwellTime></VAEventDwellTime>"
       "<VAEventPollingStatusType></VAEventPollingStatusType></EventServer>"
       "<BIoT><Enable></Enable><EventInterval></EventInterval></BIoT><Debug><UseLogFile/></Debug></Hidden>",
       "85|0|0|||0||0|0"},
      {"keys match letter case exactly",
       "<Hidden><EventServer><httpport>90</httpport></EventServer><biot><Enable>1</Enable></biot></Hidden>",
       "85|3|1|||0||15|0"},
      {"numbers by their leading digits", "<Hidden><BIoT><Enable>x</Enable><EventInterval> 12s</EventInterval></BIoT></Hidden>",
       "85|3|1|||0||12|0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(WriteTestFile(GetHiddenSettingsFilePath(), c.text));
    CXmlCfg hidden;
    Hidden_Load(hidden);
    EXPECT_EQ(AllValues(hidden), c.values);
  }
}

TEST_F(HiddenSettingsTest, HttpPortThatIsNoPortIsLoggedAndGives85) {
  const char* ports[] = {"", "0", "-1", "65536", "abc"};
  for (const char* port : ports) {
    SCOPED_TRACE(port);
    CXmlCfg hidden;
    ASSERT_TRUE(hidden.ToCfg(std::string("<Hidden><EventServer><HttpPort>") + port + "</HttpPort></EventServer></Hidden>"));
    ProcessLogCapture log;
    EXPECT_EQ(Hidden_GetEventServerHttpPort(hidden), 85);
    EXPECT_NE(log.Text().find("HttpPort '" + std::string(port) + "' of Hidden.xml is no port"), std::string::npos);
  }
  CXmlCfg hidden;
  ASSERT_TRUE(hidden.ToCfg("<Hidden><EventServer><HttpPort>65535</HttpPort></EventServer></Hidden>"));
  EXPECT_EQ(Hidden_GetEventServerHttpPort(hidden), 65535);
}

}  // namespace
