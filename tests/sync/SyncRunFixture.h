// A data synchronizer job against real peers: a scratch installation
// database on the test server and the python HTTP target that records every
// request. Rows are written in SQL, as another program would write them.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "NetPeers.h"
#include "shell/DataSynchronizerItem.h"
#include "support/InstallationDatabaseTest.h"
#include "support/TempDir.h"
#include "sync/DataSyncRun.h"

class SyncRunFixture : public InstallationDatabaseTest {
 protected:
  SyncRunFixture() : InstallationDatabaseTest("sync_run") {}

  void SetUp() override;

  // Runs `sql` (one statement) on the scratch database.
  void Exec(const std::string& sql);
  // A recording server row.
  void AddZav(int no, const std::string& addr, int servicePort, int rtspPort);
  // A camera row with a site code in user3 (field index 2).
  void AddCamera(int no, const std::string& name, const std::string& deviceType, int zavNo, int channel,
                 const std::string& siteCode = "S1");
  // The reply the target gives to /r/<name>: "HTTP/1.1 <status line>" with a sized body.
  void SetReply(const std::string& name, const std::string& statusLine, const std::string& body = "");
  // The job: ID 12, TBL_Camera, posting to /r/ok of the target.
  CDataSynchronizerItem Job(const std::string& replyName = "ok") const;
  // One run of the job over the fixture's snapshot file.
  CDataSyncResult Run(const CDataSynchronizerItem& job);
  // The body of request n (from 1), after the header's empty line.
  std::string PostedBody(int n) const;

  PythonHttpPeer peer_;
  TempDir files_;
  std::string snapshotPath_;
  CDataSyncSettings settings_;
};
