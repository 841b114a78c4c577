// The own-kind adapter's event pause and file-analysis requests against a
// fake own-kind server that records each request and answers as scripted.
#include <gtest/gtest.h>

#include <string>

#include "FakeAnalysisServer.h"
#include "VasTestStore.h"
#include "analysis/VasTorvaneAdapter.h"
#include "foundation/ProcessLogCapture.h"

namespace {

std::string Reply(const std::string& statusLine, const std::string& body) {
  return statusLine + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// One server answering every request with `reply`; the test's requests go
// to it through an adapter of server 1 (Basic login admin/secret).
class FileAnalysisTest : public ::testing::Test {
 protected:
  void Serve(const std::string& reply) {
    server_ = std::make_unique<FakeAnalysisServer>([reply](FakeConnection& connection, int) {
      FakeRequest request;
      if (!connection.ReadRequest(&request, 5000)) return;  // the connection test sends nothing
      connection.Send(reply);
      connection.Close();
    });
    row_ = store_.AddServer(1, server_->port());
    row_->SetAuthType(2);
    adapter_ = std::make_unique<VasTorvaneAdapter>(*row_);
  }
  FakeRequest OnlyRequest() {
    EXPECT_EQ(server_->Requests().size(), 1u);
    return server_->Requests().empty() ? FakeRequest() : server_->Requests()[0];
  }

  VasTestStore store_;
  std::unique_ptr<FakeAnalysisServer> server_;
  std::shared_ptr<CTBLVas> row_;
  std::unique_ptr<VasTorvaneAdapter> adapter_;
};

TEST_F(FileAnalysisTest, PauseEventAsksForTheChannelAndTimeout) {
  Serve(Reply("HTTP/1.1 200 OK", ""));
  int error = -1;
  EXPECT_EQ(adapter_->PauseEvent(store_.get(), row_.get(), 3, 60, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(OnlyRequest().requestLine, "GET /event/stop.cgi?method=get&channel=3&timeout=60 HTTP/1.1");
  EXPECT_EQ(OnlyRequest().Field("Authorization"), "Basic YWRtaW46c2VjcmV0");
}

struct CapabilityCase {
  const char* name;
  std::string reply;
  int result;
  int error;
  VasFileAnalysisCapabilities expected;
};

// Only the HTTP status counts; absent elements take their defaults; the
// record keeps its contents on a failure.
TEST_F(FileAnalysisTest, CapabilitiesTakeTheirDefaults) {
  const CapabilityCase cases[] = {
      {"whole", Reply("HTTP/1.1 200 OK", "<File><AnalysisCapability><Available>1</Available><FTPPort>2121</FTPPort>"
                                         "<ConcurrentAnalysisCount>4</ConcurrentAnalysisCount></AnalysisCapability></File>"),
       1, 0, {1, 2121, 4}},
      {"defaults", Reply("HTTP/1.1 200 OK", "<File><AnalysisCapability><Available>1</Available></AnalysisCapability></File>"),
       1, 0, {1, 21, 1}},
      {"a Result code in a 200 body is not consulted",
       Reply("HTTP/1.1 200 OK", "<Result><Code>500</Code></Result>"), 1, 0, {0, 21, 1}},
      {"HTTP status", Reply("HTTP/1.1 503 Service Unavailable", ""), 0, 503, {-5, -5, -5}},
      {"no root element", Reply("HTTP/1.1 200 OK", "text"), 0, kVasErrorBadXml, {-5, -5, -5}},
  };
  for (const CapabilityCase& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    Serve(c.reply);
    VasFileAnalysisCapabilities capabilities{-5, -5, -5};
    int error = -1;
    EXPECT_EQ(adapter_->GetFileAnalysisCapabilities(store_.get(), row_.get(), &capabilities, &error), c.result);
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(capabilities.Available, c.expected.Available);
    EXPECT_EQ(capabilities.FTPPort, c.expected.FTPPort);
    EXPECT_EQ(capabilities.ConcurrentAnalysisCount, c.expected.ConcurrentAnalysisCount);
    EXPECT_EQ(OnlyRequest().requestLine, "GET /file/analysis_capability.cgi?method=get HTTP/1.1");
    if (c.error == 503)
      EXPECT_NE(log.Text().find("'file/analysis_capability.cgi'. response code = 503"), std::string::npos);
  }
}

TEST_F(FileAnalysisTest, StartGivesTheProcessOrTheNegatedCode) {
  const std::pair<std::string, int> cases[] = {
      {"<File><AnalysisStart><PID>4711</PID></AnalysisStart></File>", 4711},
      {"<Result><Code>503</Code></Result>", -503},
      {"<Result><Code></Code></Result>", -1},
      {"<Other/>", -1},
  };
  for (const auto& [body, pid] : cases) {
    SCOPED_TRACE(body);
    Serve(Reply("HTTP/1.1 200 OK", body));
    int processId = 0;
    int error = -1;
    EXPECT_EQ(adapter_->SetFileAnalysisStart(store_.get(), row_.get(), "/rec/a&b.mp4", &processId, &error), 1);
    EXPECT_EQ(processId, pid);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(OnlyRequest().requestLine, "POST /file/analysis_start.cgi?method=set HTTP/1.1");
    EXPECT_EQ(OnlyRequest().body,
              "<File>\r\n\t<AnalysisStart>\r\n\t\t<SourcePath>/rec/a&amp;b.mp4</SourcePath>\r\n\t</AnalysisStart>\r\n"
              "</File>\r\n");
  }
}

TEST_F(FileAnalysisTest, StatusFillsTheRecord) {
  Serve(Reply("HTTP/1.1 200 OK", "<File><AnalysisStatus><PID>9</PID><Progress>40</Progress><ExitCode>0</ExitCode>"
                                 "<SourcePath></SourcePath></AnalysisStatus></File>"));
  VasFileAnalysisStatus status;
  status.SourcePath = "old";
  int error = -1;
  EXPECT_EQ(adapter_->GetFileAnalysisStatus(store_.get(), row_.get(), 9, &status, &error), 1);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(status.PID, 9);
  EXPECT_EQ(status.Progress, 40);
  EXPECT_EQ(status.SourcePath, "");
  EXPECT_EQ(OnlyRequest().requestLine, "GET /file/analysis_status.cgi?method=get&pid=9 HTTP/1.1");
}

}  // namespace
