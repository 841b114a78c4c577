#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "analysis/VasStatusStream.h"
#include "foundation/XmlSerializer.h"
#include "support/TempDir.h"

namespace {

// A status part as an own-kind analysis server sends it.
const char kFullDocument[] =
    "<StatusStream><StartDate>2026-12-01</StartDate><StartTime>08:00:00</StartTime>"
    "<CurrentDate>2026-12-11</CurrentDate><CurrentTime>10:11:12.345</CurrentTime>"
    "<Status><TotalStatus><Version>3.2.1</Version><DNN>yolo</DNN><CPU>17</CPU><TotalMemory>16384.5</TotalMemory>"
    "<UsedMemory>2048</UsedMemory><TotalTraffic>900</TotalTraffic><InboundTraffic>600</InboundTraffic>"
    "<OutboundTraffic>300</OutboundTraffic><TotalLicenseCount>16</TotalLicenseCount>"
    "<TotalCameraCount>4</TotalCameraCount><TotalDisconnectedCameraCount>1</TotalDisconnectedCameraCount>"
    "<TotalReceivedBps>4000</TotalReceivedBps><TotalReceivedFps>120</TotalReceivedFps>"
    "<TotalDecodedBps>3900</TotalDecodedBps><TotalDecodedFps>118</TotalDecodedFps>"
    "<TotalProcessedFps>60.25</TotalProcessedFps><TotalUnprocessedFps>0.5</TotalUnprocessedFps>"
    "<GPUCount>2</GPUCount>"
    "<GPUItem><ID>1</ID><PciBusID>0000:01:00.0</PciBusID><ModelName>RTX A4000</ModelName>"
    "<UsagePercent>40</UsagePercent><TotalMemory>16000</TotalMemory><UsedMemory>4000.5</UsedMemory></GPUItem>"
    "<GPUItem><ID>2</ID><ModelName>RTX A2000</ModelName></GPUItem></TotalStatus>"
    "<ChannelStatus><ChannelStatusItem><Channel>1</Channel><StreamConnection>1</StreamConnection>"
    "<StreamVideoCodec>H264</StreamVideoCodec><StreamVideoResolution>1920x1080</StreamVideoResolution>"
    "<StreamVideoReceivedBps>2000</StreamVideoReceivedBps><StreamVideoReceivedFps>30</StreamVideoReceivedFps>"
    "<StreamVideoDecodedBps>1900</StreamVideoDecodedBps><StreamVideoDecodedFps>29</StreamVideoDecodedFps>"
    "<StreamVideoProcessedFps>15.5</StreamVideoProcessedFps>"
    "<StreamVideoUnprocessedFps>0.25</StreamVideoUnprocessedFps></ChannelStatusItem>"
    "<ChannelStatusItem><Channel>3</Channel><StreamConnection>0</StreamConnection></ChannelStatusItem>"
    "</ChannelStatus></Status>"
    "<Client><TotalClient><Meta>2</Meta><Status>1</Status></TotalClient></Client>"
    "<Analysis><TotalAnalysis><Channels>1,3</Channels></TotalAnalysis></Analysis></StatusStream>";

CVasStatusStream ReadStatus(const std::string& xml) {
  CVasStatusStream status;
  CXmlSerializer::FromXml(xml, &status);
  return status;
}

TEST(VasStatusRecords, FullDocumentFillsEveryRecord) {
  CVasStatusStream s = ReadStatus(kFullDocument);
  EXPECT_EQ(s.GetStartDate(), "2026-12-01");
  EXPECT_EQ(s.GetCurrentTime(), "10:11:12.345");
  const CVasTotalStatus& t = s.GetTotalStatus();
  EXPECT_EQ(t.GetVersion(), "3.2.1");
  EXPECT_EQ(t.GetDNN(), "yolo");
  EXPECT_EQ(t.GetCPU(), 17);
  EXPECT_FLOAT_EQ(t.GetTotalMemory(), 16384.5f);
  EXPECT_EQ(t.GetTotalDisconnectedCameraCount(), 1);
  EXPECT_DOUBLE_EQ(t.GetTotalProcessedFps(), 60.25);
  EXPECT_EQ(t.GetGPUCount(), 2);
  ASSERT_EQ(t.GetGPUs().size(), 2u);
  EXPECT_EQ(t.GetGPUs().at(1).GetPciBusID(), "0000:01:00.0");
  EXPECT_FLOAT_EQ(t.GetGPUs().at(1).GetUsedMemory(), 4000.5f);
  EXPECT_EQ(t.GetGPUs().at(2).GetModelName(), "RTX A2000");
  ASSERT_EQ(s.GetChannelStatus().size(), 2u);
  const CVasChannelStatus& c1 = s.GetChannelStatus().at(1);
  EXPECT_EQ(c1.GetStreamVideoResolution(), "1920x1080");
  EXPECT_EQ(c1.GetStreamVideoDecodedFps(), 29);
  EXPECT_DOUBLE_EQ(c1.GetStreamVideoUnprocessedFps(), 0.25);
  EXPECT_EQ(s.GetTotalClient().GetMeta(), "2");
  EXPECT_EQ(s.GetTotalAnalysis().GetChannels(), "1,3");
  EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 1);
}

struct EdgeCase {
  const char* name;
  const char* xml;
  std::function<void(const CVasStatusStream&)> check;
};

TEST(VasStatusRecords, EdgeCasesOfReading) {
  const EdgeCase cases[] = {
      {"channel 0 and a channel without number are dropped; of two items of channel 3 the later stays",
       "<StatusStream><Status><ChannelStatus>"
       "<ChannelStatusItem><Channel>0</Channel></ChannelStatusItem>"
       "<ChannelStatusItem><StreamConnection>1</StreamConnection></ChannelStatusItem>"
       "<ChannelStatusItem><Channel>3</Channel><StreamVideoCodec>H264</StreamVideoCodec></ChannelStatusItem>"
       "<ChannelStatusItem><Channel>3</Channel><StreamVideoCodec>H265</StreamVideoCodec></ChannelStatusItem>"
       "</ChannelStatus></Status></StatusStream>",
       [](const CVasStatusStream& s) {
         ASSERT_EQ(s.GetChannelStatus().size(), 1u);
         EXPECT_EQ(s.GetChannelStatus().at(3).GetStreamVideoCodec(), "H265");
       }},
      {"a GPU of id 0 is dropped",
       "<StatusStream><Status><TotalStatus><GPUItem><ID>0</ID></GPUItem><GPUItem><ID>4</ID></GPUItem>"
       "</TotalStatus></Status></StatusStream>",
       [](const CVasStatusStream& s) {
         ASSERT_EQ(s.GetTotalStatus().GetGPUs().size(), 1u);
         EXPECT_EQ(s.GetTotalStatus().GetGPUs().count(4), 1u);
       }},
      {"no Analysis element leaves the flag 0",
       "<StatusStream><CurrentDate>2026-12-11</CurrentDate></StatusStream>",
       [](const CVasStatusStream& s) { EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 0); }},
      {"an empty Analysis element sets the flag with empty channels",
       "<StatusStream><CurrentDate>2026-12-11</CurrentDate><Analysis></Analysis></StatusStream>",
       [](const CVasStatusStream& s) {
         EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 1);
         EXPECT_EQ(s.GetTotalAnalysis().GetChannels(), "");
       }},
      {"an Analysis element without TotalAnalysis sets the flag",
       "<StatusStream><Analysis><Other>1</Other></Analysis></StatusStream>",
       [](const CVasStatusStream& s) { EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 1); }},
      {"another root leaves the record empty",
       "<EventStream><CurrentDate>2026-12-11</CurrentDate><Status><TotalStatus><CPU>5</CPU></TotalStatus>"
       "</Status><Analysis><TotalAnalysis><Channels>1</Channels></TotalAnalysis></Analysis></EventStream>",
       [](const CVasStatusStream& s) {
         EXPECT_EQ(s.GetCurrentDate(), "");
         EXPECT_EQ(s.GetTotalStatus().GetCPU(), 0);
         EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 0);
         EXPECT_EQ(s.GetTotalAnalysis().GetChannels(), "");
       }},
      {"upper-case names read like their mixed-case forms",
       "<STATUSSTREAM><CURRENTDATE>2026-12-11</CURRENTDATE><STATUS><TOTALSTATUS><CPU>9</CPU><GPUCOUNT>1</GPUCOUNT>"
       "<GPUITEM><ID>2</ID><MODELNAME>X</MODELNAME></GPUITEM></TOTALSTATUS><CHANNELSTATUS><CHANNELSTATUSITEM>"
       "<CHANNEL>5</CHANNEL><STREAMVIDEOPROCESSEDFPS>7.5</STREAMVIDEOPROCESSEDFPS></CHANNELSTATUSITEM>"
       "</CHANNELSTATUS></STATUS><CLIENT><TOTALCLIENT><META>4</META></TOTALCLIENT></CLIENT></STATUSSTREAM>",
       [](const CVasStatusStream& s) {
         EXPECT_EQ(s.GetCurrentDate(), "2026-12-11");
         EXPECT_EQ(s.GetTotalStatus().GetCPU(), 9);
         EXPECT_EQ(s.GetTotalStatus().GetGPUCount(), 1);
         EXPECT_EQ(s.GetTotalStatus().GetGPUs().at(2).GetModelName(), "X");
         EXPECT_DOUBLE_EQ(s.GetChannelStatus().at(5).GetStreamVideoProcessedFps(), 7.5);
         EXPECT_EQ(s.GetTotalClient().GetMeta(), "4");
       }},
      {"numbers read as the leading number, missing ones as 0",
       "<StatusStream><Status><TotalStatus><CPU>12abc</CPU><TotalMemory>x</TotalMemory></TotalStatus>"
       "</Status></StatusStream>",
       [](const CVasStatusStream& s) {
         EXPECT_EQ(s.GetTotalStatus().GetCPU(), 12);
         EXPECT_FLOAT_EQ(s.GetTotalStatus().GetTotalMemory(), 0.0f);
         EXPECT_EQ(s.GetTotalStatus().GetTotalCameraCount(), 0);
       }},
  };
  for (const EdgeCase& c : cases) {
    SCOPED_TRACE(c.name);
    c.check(ReadStatus(c.xml));
  }
}

TEST(VasStatusRecords, ChannelsAndGpusAComeLaterDocumentOmitsStay) {
  CVasStatusStream s = ReadStatus(kFullDocument);
  CXmlSerializer::FromXml(
      "<StatusStream><Status><ChannelStatus><ChannelStatusItem><Channel>9</Channel></ChannelStatusItem>"
      "</ChannelStatus></Status></StatusStream>",
      &s);
  EXPECT_EQ(s.GetChannelStatus().size(), 3u);
  EXPECT_EQ(s.GetTotalStatus().GetGPUs().size(), 2u);
  EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 0) << "the later document had no Analysis element";
}

TEST(VasStatusRecords, SetterOfTheAnalysisTotalsCopiesOnlyTheChannels) {
  CVasStatusStream s = ReadStatus(kFullDocument);
  CVasTotalAnalysis other;
  other.SetChannels("7");
  other.SetAnalysisPresent(0);
  s.SetTotalAnalysis(other);
  EXPECT_EQ(s.GetTotalAnalysis().GetChannels(), "7");
  EXPECT_EQ(s.GetTotalAnalysis().GetAnalysisPresent(), 1);
  CVasStatusStream copy;
  copy = s;
  EXPECT_EQ(copy.GetTotalAnalysis().GetAnalysisPresent(), 1) << "assignment copies the flag";
}

TEST(VasStatusRecords, WritingGivesWellFormedXmlThatReadsBack) {
  CVasStatusStream s = ReadStatus(kFullDocument);
  std::string xml = CXmlSerializer::ToXml(s);
  // Two GPUs inside TotalStatus, no GPU count; numbers in their written forms.
  size_t total = xml.find("<TotalStatus>");
  size_t totalEnd = xml.find("</TotalStatus>");
  ASSERT_NE(total, std::string::npos) << xml;
  size_t gpu1 = xml.find("<GPUItem>", total);
  size_t gpu2 = xml.find("<GPUItem>", gpu1 + 1);
  EXPECT_LT(gpu2, totalEnd) << xml;
  EXPECT_EQ(xml.find("<GPUItem>", gpu2 + 1), std::string::npos);
  EXPECT_EQ(xml.find("ount>2</"), std::string::npos) << "no GPU count is written";
  EXPECT_NE(xml.find("<TotalProcessedFps>60.250000</TotalProcessedFps>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<TotalMemory>16384.5</TotalMemory>"), std::string::npos) << xml;
  // Element order: Status (TotalStatus, ChannelStatus), Client, Analysis.
  size_t order[] = {xml.find("<Status>"), xml.find("<ChannelStatus>"), xml.find("<Client>"), xml.find("<Analysis>")};
  for (size_t i = 1; i < std::size(order); ++i) EXPECT_LT(order[i - 1], order[i]) << xml;

  TempDir dir;
  std::string path = dir.Join("status.xml");
  WriteTestFile(path, xml);
  EXPECT_EQ(std::system(("xmllint --noout " + path).c_str()), 0) << xml;

  CVasStatusStream back = ReadStatus(xml);
  EXPECT_EQ(CXmlSerializer::ToXml(back), xml);
}

}  // namespace
