#include "SyncRunFixture.h"

#include "support/TestDatabase.h"
#include "sync/DeviceUserFields.h"

void SyncRunFixture::SetUp() {
  InstallationDatabaseTest::SetUp();
  if (IsSkipped() || HasFatalFailure()) return;
  ASSERT_TRUE(peer_.Start());
  SetReply("ok", "200 OK");
  snapshotPath_ = files_.Join("DataSync_127_0_0_1_Device_Data_12.dat");
  settings_.database = {db_.host, static_cast<int>(db_.port), name_, db_.user, db_.password};
  settings_.service.encryptContents = false;
  settings_.service.encryptKey = "0123456789abcdef";
}

void SyncRunFixture::Exec(const std::string& sql) {
  std::string error;
  ASSERT_TRUE(RunSqlScript(db_, name_, sql, &error)) << error;
}

void SyncRunFixture::AddZav(int no, const std::string& addr, int servicePort, int rtspPort) {
  Exec("INSERT INTO TBL_Zav (no, name, addr, service_port, RtspPort) VALUES (" + std::to_string(no) + ", 'z" +
       std::to_string(no) + "', '" + addr + "', " + std::to_string(servicePort) + ", " + std::to_string(rtspPort) +
       ")");
}

void SyncRunFixture::AddCamera(int no, const std::string& name, const std::string& deviceType, int zavNo,
                               int channel, const std::string& siteCode) {
  Exec("INSERT INTO TBL_Camera (no, name, device_type, model_type, vendor, model_name, addr, web_port, zav_no, "
       "zav_channel, user3) VALUES (" +
       std::to_string(no) + ", '" + name + "', '" + deviceType + "', '" + deviceType + "', 'Acme', 'X1', '10.0.1." +
       std::to_string(no) + "', 80, " + std::to_string(zavNo) + ", " + std::to_string(channel) + ", '" + siteCode +
       "')");
}

void SyncRunFixture::SetReply(const std::string& name, const std::string& statusLine, const std::string& body) {
  peer_.SetReply(name, "HTTP/1.1 " + statusLine + "\r\nContent-Length: " + std::to_string(body.size()) +
                           "\r\nConnection: close\r\n\r\n" + body);
}

CDataSynchronizerItem SyncRunFixture::Job(const std::string& replyName) const {
  CDataSynchronizerItem job;
  job.SetID(12);
  job.SetSourceData("TBL_Camera");
  job.SetTargetUrl("http://127.0.0.1:" + std::to_string(peer_.port()) + "/r/" + replyName);
  return job;
}

CDataSyncResult SyncRunFixture::Run(const CDataSynchronizerItem& job) {
  CDeviceUserFields fields;
  const std::string path = files_.Join("DeviceUserFields.xml");
  WriteTestFile(path,
                "<Settings>\r\n\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>SITE_CODE</Name>\r\n"
                "\t\t<Value>2</Value>\r\n\t</Setting>\r\n</Settings>\r\n");
  fields.Load(path, files_.Join("none.xml"));
  return RunDataSync(job, settings_, &fields, snapshotPath_);
}

std::string SyncRunFixture::PostedBody(int n) const {
  std::string request = peer_.Request(n);
  size_t end = request.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : request.substr(end + 4);
}
