// What the service suites share: a temporary program folder with its
// application settings (job lists written the way the option pages write
// them), the python HTTP target that records raw requests, and small helpers
// to read requests and status files.
#pragma once

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "foundation/FileUtil.h"
#include "net/NetPeers.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"
#include "shell/ProgramFolderFixture.h"

// An AI event job posting to `url`.
inline CAIEventPublisherItem AIJob(int id, const std::string& url, int authMethod = 0, bool tls = false,
                                   const std::string& login = "", const std::string& password = "") {
  CAIEventPublisherItem job;
  job.SetID(id);
  job.SetTargetUrl(url);
  job.SetTargetLoginID(login);
  job.SetTargetPassword(EncipherJobPassword(password));
  job.SetTargetAuthMethod(authMethod);
  job.SetTargetUseSecureSession(tls);
  return job;
}

// A loopback port on which nothing listens (bound, then closed).
inline unsigned short ClosedLoopbackPort() { return FreeLoopbackPort(); }

class ServiceFixture : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    settings_.Load(GetAppSettingsFilePath());
    settings_.SetValue(CLocalAppSettings::kGeneralCategory, "EncryptContents", "0");
  }

  void SetJobs(const std::vector<CAIEventPublisherItem>& jobs) {
    CAIEventPublisherItems list;
    list.SetItems(jobs);
    ASSERT_TRUE(settings_.Option_SetAIEventPublisherItems(list));
  }
  // Starts the python target (fails the test when it cannot).
  void StartTarget() { ASSERT_TRUE(target_.Start()); }
  std::string TargetUrl(const std::string& pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(target_.port()) + pathAndQuery;
  }
  // The body of a raw request (after the first empty line).
  static std::string BodyOf(const std::string& request) {
    size_t end = request.find("\r\n\r\n");
    return end == std::string::npos ? "" : request.substr(end + 4);
  }
  std::string DataFile(const std::string& name) const { return CombinePath(GetDataFolderPath(), name); }

  CLocalAppSettings settings_;
  PythonHttpPeer target_;
};
