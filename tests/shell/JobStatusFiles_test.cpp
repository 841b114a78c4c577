// Run statuses in their status files, written and read through the XML form
// in the Data folder of a temporary program folder.
#include <gtest/gtest.h>

#include "foundation/FileUtil.h"
#include "foundation/XmlSerializer.h"
#include "ProgramFolderFixture.h"
#include "ScopedTimeZone.h"
#include "shell/AppFolders.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/JobItemStatus.h"
#include "shell/VuzorMetroEventReceiverItem.h"

namespace {

// 2021-10-31 01:30:00 UTC: 02:30 local in Berlin for the second time that night.
constexpr int64_t kRepeatedHour = 1635643800;

class JobStatusFilesTest : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    ASSERT_TRUE(CreateDirectoryPath(GetDataFolderPath()));
  }
  std::string DataFile(const std::string& name) { return CombinePath(GetDataFolderPath(), name); }
};

TEST_F(JobStatusFilesTest, PublisherStatusesWriteTheirRootIdTimeAndCode) {
  ScopedTimeZone zone("Europe/Berlin");
  struct Case {
    CJobItemStatus* status;
    const char* root;
  };
  CAIEventPublisherItemStatus ai;
  CServerStatusPublisherItemStatus server;
  CAlarmOutputPublisherItemStatus alarm;
  const Case cases[] = {
      {&ai, "AIEventPubItemStatus"}, {&server, "AIEventPubItemStatus"}, {&alarm, "AlarmOutputPubItemStatus"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.root);
    c.status->SetID(3);
    c.status->SetLastExecutedTime(kRepeatedHour);
    c.status->SetLastErrorCode(5);
    std::string path = DataFile("Status_3.dat");
    ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, *c.status).empty());
    std::string root = c.root;
    EXPECT_EQ(ReadTestFile(path), "<?xml version=\"1.0\"?>\r\n<" + root +
                                      ">\r\n\t<ID>3</ID>\r\n\t<LastDateTimeExecuted>2021-10-31 01:30:00"
                                      "</LastDateTimeExecuted>\r\n\t<LastErrorCode>5</LastErrorCode>\r\n</" +
                                      root + ">\r\n");
    EXPECT_EQ(c.status->GetLastExecutedLocalText(), "2021-10-31 02:30:00");
  }

  CAlarmOutputPublisherItemStatus read;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(DataFile("Status_3.dat"), &read));
  EXPECT_EQ(read.GetID(), 3);
  EXPECT_EQ(read.GetLastDateTimeExecuted(), "2021-10-31 01:30:00");
  EXPECT_EQ(read.GetLastErrorCode(), 5);
  CServerStatusPublisherItemStatus serverRead;
  serverRead.SetLastDateTimeExecuted("2021-10-31 01:30:00");
  EXPECT_EQ(serverRead.GetLastExecutedTime(), kRepeatedHour);

  std::vector<std::string> files;
  FindFilesRecursive(GetDataFolderPath(), "*", false, &files);
  EXPECT_EQ(files.size(), 1u);  // replaced in place: no temporary file left over
}

TEST_F(JobStatusFilesTest, AStatusFileOfAnotherKindLeavesTheStatusAsItWas) {
  std::string path = DataFile("AlarmOutput_x_Status_3.dat");
  ASSERT_TRUE(WriteTestFile(path,
                            "<?xml version=\"1.0\"?>\r\n<AlarmOutputPubItemStatus><ID>3</ID>"
                            "<LastErrorCode>4</LastErrorCode></AlarmOutputPubItemStatus>\r\n"));
  CAIEventPublisherItemStatus ai;
  ai.SetID(7);
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &ai));
  EXPECT_EQ(ai.GetID(), 7);
  EXPECT_EQ(ai.GetLastErrorCode(), 0);
  CDataSynchronizerItemStatus sync;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &sync));
  EXPECT_EQ(sync.GetID(), 0);

  // The root's letter case does not matter; a missing value reads as empty or 0.
  ASSERT_TRUE(WriteTestFile(path, "<alarmoutputpubitemstatus><ID>3</ID></alarmoutputpubitemstatus>"));
  CAlarmOutputPublisherItemStatus alarm;
  alarm.SetLastErrorCode(9);
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &alarm));
  EXPECT_EQ(alarm.GetID(), 3);
  EXPECT_EQ(alarm.GetLastErrorCode(), 0);
  EXPECT_EQ(alarm.GetLastExecutedLocalText(), "");
}

TEST_F(JobStatusFilesTest, SynchronizerStatusKeepsBothTimesInUtc) {
  ScopedTimeZone zone("Asia/Seoul");
  CNvrDataSynchronizerItemStatus status;
  status.SetID(11);
  status.SetLastSynchronizedTime(kRepeatedHour - 3600);
  status.SetLastExecutedTime(kRepeatedHour);
  status.SetLastErrorCode(2);
  std::string path = DataFile("NvrSync_Status_11.dat");
  ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, status).empty());
  EXPECT_EQ(ReadTestFile(path),
            "<?xml version=\"1.0\"?>\r\n<DataSyncItemStatus>\r\n\t<ID>11</ID>\r\n"
            "\t<LastDateTimeSynchronized>2021-10-31 00:30:00</LastDateTimeSynchronized>\r\n"
            "\t<LastDateTimeExecuted>2021-10-31 01:30:00</LastDateTimeExecuted>\r\n"
            "\t<LastErrorCode>2</LastErrorCode>\r\n</DataSyncItemStatus>\r\n");
  CHTNvrDataSynchronizerItemStatus read;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &read));
  EXPECT_EQ(read.GetLastSynchronizedLocalText(), "2021-10-31 09:30:00");
  EXPECT_EQ(read.GetLastExecutedLocalText(), "2021-10-31 10:30:00");
  EXPECT_EQ(read.GetLastExecutedTime(), kRepeatedHour);
  EXPECT_EQ(read.GetLastErrorCode(), 2);

  CDataSynchronizerItemStatus fresh;
  EXPECT_EQ(fresh.GetLastExecutedTime(), 0);  // never ran: due at once
  fresh.SetLastDateTimeExecuted("2021-10-31");
  EXPECT_EQ(fresh.GetLastExecutedTime(), 0);
  EXPECT_EQ(fresh.GetLastExecutedLocalText(), "");
}

TEST_F(JobStatusFilesTest, MetroStatusKeepsItsHistoryOnlyWhenThereIsOne) {
  ScopedTimeZone zone("Europe/Berlin");
  CVuzorMetroEventReceiverItemStatus status;
  status.SetID(8);
  status.SetLastAddress("10.0.0.7");
  std::string path = DataFile("DMEventReceiver_10002_Status_8.dat");
  ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, status).empty());
  EXPECT_EQ(ReadTestFile(path),
            "<?xml version=\"1.0\"?>\r\n<DMEventReceiverStatus>\r\n\t<ID>8</ID>\r\n"
            "\t<LastAddress>10.0.0.7</LastAddress>\r\n\t<LastDateTimeReceived></LastDateTimeReceived>\r\n"
            "\t<LastErrorCode>0</LastErrorCode>\r\n</DMEventReceiverStatus>\r\n");
  EXPECT_EQ(status.GetLastReceivedLocalText(), "");

  CVuzorMetroEventHistory first, second;
  first.SetTrainSetNumber("T<1>");
  first.SetCarNumber(3);
  first.SetEventType(2);
  first.SetDateTimeReceived("2021-03-04 05:06:07");
  second.SetTrainSetNumber("T2");
  status.SetHistories({first, second});
  status.SetLastReceivedTime(kRepeatedHour);
  ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, status).empty());
  std::string text = ReadTestFile(path);
  EXPECT_NE(text.find("<LastDateTimeReceived>2021-10-31 01:30:00</LastDateTimeReceived>"), std::string::npos);
  EXPECT_NE(text.find("<Histories>"), std::string::npos);

  CVuzorMetroEventReceiverItemStatus read;
  read.SetHistories({second, second, second});
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &read));
  EXPECT_EQ(read.GetID(), 8);
  EXPECT_EQ(read.GetLastAddress(), "10.0.0.7");
  EXPECT_EQ(read.GetLastReceivedLocalText(), "2021-10-31 02:30:00");
  ASSERT_EQ(read.GetHistories().size(), 2u);
  EXPECT_TRUE(read.GetHistories()[0] == first);
  EXPECT_TRUE(read.GetHistories()[1] == second);
}

}  // namespace
