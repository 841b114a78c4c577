#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "foundation/XmlCfg.h"
#include "foundation/XmlSerializer.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStorageStatuses.h"
#include "recorders/ZavSysteminformation.h"
#include "support/TempDir.h"

namespace {

std::string Fixture(const std::string& name) {
  return ReadTestFile(std::string(GATE_RECORDERS_FIXTURES) + "/" + name);
}

// Reads `xml` into `record`; fails the test when the text has no root.
template <class Record>
void Read(const std::string& xml, Record* record) {
  ASSERT_TRUE(CXmlSerializer::FromXml(xml, record)) << xml;
}

// The record written to XML and read back into a fresh record.
template <class Record>
Record RoundTrip(const Record& record) {
  Record back;
  EXPECT_TRUE(CXmlSerializer::FromXml(CXmlSerializer::ToXml(record), &back));
  return back;
}

TEST(ZavRecords, NumbersReadAsStrtolAndAtofDo) {
  struct Case {
    const char* element;  // inside <TotalStatus>, or "" for none
    int cpu;
  } cases[] = {
      {"<CPU>85%</CPU>", 85}, {"<CPU>busy</CPU>", 0}, {"<CPU> -12x</CPU>", -12},
      {"<CPU>99999999999</CPU>", 2147483647}, {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    CZavTotalStatus total;
    total.SetCPU(55);  // an absent value gives 0, never the earlier value
    Read(std::string("<TotalStatus>") + c.element + "<TotalMemory>1.5e3</TotalMemory></TotalStatus>", &total);
    EXPECT_EQ(total.GetCPU(), c.cpu);
    EXPECT_FLOAT_EQ(total.GetTotalMemory(), 1500.0f);
  }
}

TEST(ZavRecords, ElementNamesMatchInAnyCase) {
  const char* spellings[] = {
      "<ChannelStatusItem><Channel>4</Channel><HighStreamVideoResolution>1920x1080</HighStreamVideoResolution>"
      "<AuxStreamVideoFps>15</AuxStreamVideoFps></ChannelStatusItem>",
      "<channelstatusitem><channel>4</channel><highstreamvideoresolution>1920x1080</highstreamvideoresolution>"
      "<auxstreamvideofps>15</auxstreamvideofps></channelstatusitem>",
      "<CHANNELSTATUSITEM><CHANNEL>4</CHANNEL><HIGHSTREAMVIDEORESOLUTION>1920x1080</HIGHSTREAMVIDEORESOLUTION>"
      "<AUXSTREAMVIDEOFPS>15</AUXSTREAMVIDEOFPS></CHANNELSTATUSITEM>",
  };
  for (const char* xml : spellings) {
    CZavChannelStatus channel;
    Read(xml, &channel);
    EXPECT_EQ(channel.GetChannel(), 4) << xml;
    EXPECT_EQ(channel.GetHighStreamVideoResolution(), "1920x1080") << xml;
    EXPECT_EQ(channel.GetAuxStreamVideoFps(), 15) << xml;
  }
}

TEST(ZavRecords, ARootOfAnotherNameLeavesTheRecordAsItWas) {
  CZavTotalStatus total;
  total.SetCPU(7);
  Read("<Totals><CPU>1</CPU></Totals>", &total);
  EXPECT_EQ(total.GetCPU(), 7);

  CZavEventStream stream;
  stream.SetStartDate("kept");
  Read("<Events><StartDate>new</StartDate><Status><ChannelStatus><ChannelStatusItem><Channel>1</Channel>"
       "</ChannelStatusItem></ChannelStatus></Status></Events>",
       &stream);
  EXPECT_EQ(stream.GetStartDate(), "kept");
  EXPECT_TRUE(stream.GetChannelStatuses().empty());

  CZavStorageStatuses storages;
  storages.SetPeriod(3);
  Read("<Storage><Storage><Period>9</Period></Storage></Storage>", &storages);
  EXPECT_EQ(storages.GetPeriod(), 3);
}

TEST(ZavRecords, FlagsAreOneOnlyForTheTextOne) {
  struct Case {
    const char* text;
    int flag;
  } cases[] = {{"1", 1}, {"true", 0}, {"01", 0}, {"", 0}, {" 1", 0}};
  for (const Case& c : cases) {
    CZavRecordStatus record;
    Read(std::string("<Record><PanicRecord><AllChannelConfigured>") + c.text +
             "</AllChannelConfigured></PanicRecord></Record>",
         &record);
    EXPECT_EQ(record.GetAllChannelConfigured(), c.flag) << c.text;
  }
}

TEST(ZavRecords, AbsentRecordGroupsKeepTheirFieldsPresentOnesReset) {
  CZavRecordStatus record;
  record.SetError(5);
  record.SetLoopCount(6);
  record.SetPath("old");
  record.SetTotalRecordChannels("9");
  Read("<Record><TotalRecord><Other>1</Other></TotalRecord></Record>", &record);
  EXPECT_EQ(record.GetError(), 5);
  EXPECT_EQ(record.GetLoopCount(), 6);
  EXPECT_EQ(record.GetPath(), "old");
  EXPECT_EQ(record.GetTotalRecordChannels(), "");  // its group came: an absent value resets

  Read("<Record><RecordStatus><Error>1</Error></RecordStatus><RecordStatus><Path>new</Path></RecordStatus>"
       "</Record>",
       &record);
  EXPECT_EQ(record.GetError(), 0);  // the later group wins whole
  EXPECT_EQ(record.GetPath(), "new");
}

TEST(ZavRecords, ChannelListsSplitAtCommas) {
  struct Case {
    const char* text;
    std::vector<int32_t> channels;
  } cases[] = {
      {"1,2,5", {1, 2, 5}}, {",3,,4,", {3, 4}}, {"", {}}, {"a", {0}}, {"1, 7", {1, 7}}, {"-3,x9", {-3, 0}},
  };
  for (const Case& c : cases) {
    CZavRecordStatus record;
    record.SetTotalRecordChannels(c.text);
    record.SetPanicRecordChannels(c.text);
    EXPECT_EQ(record.GetRecordChannelList(), c.channels) << c.text;
    EXPECT_EQ(record.GetPanicRecordChannelList(), c.channels) << c.text;
  }
}

TEST(ZavRecords, WritesValuesInTheirFormats) {
  CZavRecordStatus record;
  record.SetLoopCount(-1);
  record.SetBufferUsingRate(1.5e3f);
  record.SetAllChannelConfigured(1);
  std::string xml = CXmlSerializer::ToXml(record);
  EXPECT_NE(xml.find("<LoopCount>4294967295</LoopCount>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<BufferUsingRate>1500</BufferUsingRate>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<AllChannelConfigured>1</AllChannelConfigured>"), std::string::npos) << xml;
  // The three groups, in order.
  size_t total = xml.find("<TotalRecord>"), panic = xml.find("<PanicRecord>"), status = xml.find("<RecordStatus>");
  EXPECT_LT(total, panic);
  EXPECT_LT(panic, status);
  EXPECT_NE(status, std::string::npos);
  EXPECT_EQ(RoundTrip(record).GetLoopCount(), 2147483647);  // written unsigned, read back clamped
}

TEST(ZavEventStream, ReadsTheWholeDocument) {
  CZavEventStream stream;
  Read(Fixture("EventStream.xml"), &stream);
  EXPECT_EQ(stream.GetStartDate(), "2026-12-01");
  EXPECT_EQ(stream.GetCurrentTime(), "07:30:15");
  const CZavTotalStatus& total = stream.GetTotalStatus();
  EXPECT_EQ(total.GetVersion(), "3.2.1");  // the first of two Version elements
  EXPECT_EQ(total.GetCPU(), 85);
  EXPECT_FLOAT_EQ(total.GetTotalMemory(), 1500.0f);
  EXPECT_EQ(total.GetTotalHighStreamDisconnectedCameraCount(), 2);
  EXPECT_EQ(total.GetTotalMetaBps(), 77);

  // Items for channels 3, 1, 3: the map holds 1 and 3, channel 3 the third's values.
  const auto& channels = stream.GetChannelStatuses();
  ASSERT_EQ(channels.size(), 2u);
  EXPECT_EQ(channels.begin()->first, 1);
  EXPECT_EQ(channels.at(1).GetLowStreamVideoResolution(), "640x480");
  EXPECT_EQ(channels.at(3).GetHighStreamVideoCodec(), "H.265");
  EXPECT_EQ(channels.at(3).GetHighStreamConnection(), 0);
  EXPECT_EQ(channels.at(3).GetPing(), 0);
  EXPECT_EQ(channels.at(3).GetTranscodeStreamFailureInformation(), "videoloss");

  const CZavRecordStatus& record = stream.GetRecordStatus();
  EXPECT_EQ(record.GetRecordChannelList(), (std::vector<int32_t>{1, 2, 5}));
  EXPECT_EQ(record.GetPanicRecordChannelList(), (std::vector<int32_t>{3, 4}));
  EXPECT_EQ(record.GetAllChannelConfigured(), 1);
  EXPECT_EQ(record.GetLoopCount(), -1);
  EXPECT_EQ(record.GetPath(), "D:\\rec\\0001.dat");

  EXPECT_EQ(stream.GetAlarmChannels(), "7,8");  // a plain value before TotalAlarm does not count
  EXPECT_EQ(stream.GetMotionChannels(), "");    // the first inner group is not TotalMotion
  EXPECT_EQ(stream.GetVideoLossHighStreamChannels(), "2");
  EXPECT_EQ(stream.GetVideoLossLowStreamChannels(), "2,3");
  EXPECT_EQ(stream.GetPTZTourChannels(), "4");
  EXPECT_EQ(stream.GetTripwireChannels(), "6");
  EXPECT_EQ(stream.GetObjdetectChannels(), "9");
  EXPECT_EQ(stream.GetVibrationChannels(), "10");
  EXPECT_EQ(stream.GetTripwireIDs(), "11;12");
  EXPECT_EQ(stream.GetDiskSMARTTrigger(), 1);
  EXPECT_EQ(stream.GetDiskBadTrigger(), 0);         // no inner element: a plain value, not a group
  EXPECT_EQ(stream.GetDiskTemperatureTrigger(), 0);  // "true" is not "1"
}

TEST(ZavEventStream, SurvivesItsXmlForm) {
  CZavEventStream stream;
  Read(Fixture("EventStream.xml"), &stream);
  stream.SetDiskBadTrigger(1);
  stream.SetSmokeIDs("5");
  stream.GetRecordStatus().SetLoopCount(7);  // -1 would come back as the largest int32
  CZavEventStream back = RoundTrip(stream);
  EXPECT_TRUE(CXmlSerializer::ToXml(back) == CXmlSerializer::ToXml(stream));
  EXPECT_EQ(back.GetChannelStatuses().size(), 2u);
  EXPECT_EQ(back.GetChannelStatuses().at(3).GetHighStreamVideoCodec(), "H.265");
  EXPECT_EQ(back.GetRecordStatus().GetLoopCount(), 7);
  EXPECT_EQ(back.GetDiskBadTrigger(), 1);
  EXPECT_EQ(back.GetSmokeIDs(), "5");
  EXPECT_EQ(back.GetAlarmChannels(), "7,8");

  std::string xml = CXmlSerializer::ToXml(CZavEventStream());
  // The group order of the written document.
  std::vector<std::string> groups = {"<Status>", "<Record>", "<Alarm>", "<Motion>", "<Color>",
                                     "<VideoLoss>", "<TextIn>", "<PTZ>", "<Analysis>", "<Rest>",
                                     "<DiskTemperature>", "<DiskSMART>", "<DiskBad>"};
  size_t at = 0;
  for (const std::string& group : groups) {
    size_t found = xml.find(group, at);
    ASSERT_NE(found, std::string::npos) << group << "\n" << xml;
    at = found;
  }
  EXPECT_LT(xml.find("<VibrationChannels>"), xml.find("<TemperatureIDs>"));
}

TEST(ZavStorageStatuses, ReadsUpToTheStatedCount) {
  struct Case {
    const char* count;
    std::vector<std::string> names;
  } cases[] = {
      {"2", {"Disk 1", ""}}, {"3", {"Disk 1", "", "Disk 3"}}, {"9", {"Disk 1", "", "Disk 3"}}, {"0", {}}, {"-1", {}},
  };
  const std::string fixture = Fixture("Storage.xml");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    std::string xml = fixture;
    xml.replace(xml.find("<StorageCount>2<"), 16, std::string("<StorageCount>") + c.count + "<");
    CZavStorageStatuses storages;
    Read(xml, &storages);
    EXPECT_EQ(storages.GetPeriod(), 5);
    EXPECT_EQ(storages.GetFaultClearingWaitTime(), 30);
    std::vector<std::string> names;
    for (const CZavStorageStatus& s : storages.GetStorages()) names.push_back(s.GetName());
    EXPECT_EQ(names, c.names);
  }
}

TEST(ZavStorageStatuses, DeviceValuesAndTheirXmlForm) {
  std::string xml = Fixture("Storage.xml");
  xml.replace(xml.find("<Storage>"), 9, "<Disks>");  // the first child counts whatever its name
  xml.replace(xml.find("</Storage>"), 10, "</Disks>");
  CZavStorageStatuses storages;
  Read(xml, &storages);
  ASSERT_EQ(storages.GetStorages().size(), 2u);
  const CZavStorageStatus disk = storages.GetStorages()[0];
  EXPECT_EQ(disk.GetTotalSize(), 8000000000000LL);
  EXPECT_EQ(disk.GetUsedSize(), 4294967296LL);
  EXPECT_EQ(disk.GetFreeSize(), -5);
  EXPECT_FLOAT_EQ(disk.GetTemperatureCelsius(), 41.5f);
  EXPECT_EQ(disk.GetBadSectorPercent(), 3);
  EXPECT_EQ(disk.GetCurrentRecording(), 1);
  EXPECT_EQ(storages.GetStorages()[1].GetTotalSize(), 0);  // another name: a default device

  std::string written = CXmlSerializer::ToXml(storages);
  EXPECT_NE(written.find("<TotalSize>8000000000000</TotalSize>"), std::string::npos) << written;
  CZavStorageStatuses back = RoundTrip(storages);
  EXPECT_TRUE(CXmlSerializer::ToXml(back) == written);

  CZavStorageStatuses empty;
  empty.SetPeriod(4);
  Read("<Records><Period>1</Period></Records>", &empty);  // no inner group: nothing to read
  EXPECT_EQ(empty.GetPeriod(), 4);
}

TEST(ZavSysteminformation, ReadsExactKeys) {
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg(Fixture("SystemInformation.xml")));
  CZavSysteminformation info;
  info.MaxChannel = 5;
  info.FromCfg(cfg);
  EXPECT_EQ(info.GetVersion(), "3.2.1");
  EXPECT_EQ(info.GetMaxChannel(), 0);  // present but empty
  EXPECT_EQ(info.GetLicenseChannel(), 64);
  EXPECT_EQ(info.GetLicenseCount(), 2147483647);
  EXPECT_EQ(info.GetMAC(), "");  // "Mac" is not "MAC"
  EXPECT_EQ(info.GetOS(), "Windows Server 2019");

  CZavSysteminformation written;
  written.Version = "1.0";
  written.MaxChannel = -3;
  written.MAC = "AA";
  written.OS = "Linux";
  CXmlCfg store;
  written.ToCfg(store);
  EXPECT_EQ(store.GetValue("$System$$Information$$MAC$"), "AA");
  CZavSysteminformation back;
  back.FromCfg(store);
  EXPECT_EQ(back.GetVersion(), "1.0");
  EXPECT_EQ(back.GetMaxChannel(), -3);
  EXPECT_EQ(back.GetMAC(), "AA");
  EXPECT_EQ(back.GetOS(), "Linux");
}

}  // namespace
