// VasTorvaneAdapter: the event pause and the file-analysis requests.
#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/Vas.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "net/HttpEndpoint.h"
#include "net/SimpleHttpParser.h"
#include "shell/StringToIntDef.h"

namespace {


// The number at `key`, `otherwise` when the key is absent or empty.
int IntAt(const CXmlCfg& cfg, const char* key, int otherwise) {
  std::string value;
  return cfg.Lookup(key, &value) ? StringToIntDef(value.c_str(), otherwise) : otherwise;
}

}  // namespace

int VasTorvaneAdapter::PauseEvent(IDataStore* /*store*/, CTBLVas* row, int channel, int timeout, int* error) {
  Succeed(error);
  if (!row) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string reply;
  int failure = ConfigRequest(row, StrFormat("/event/stop.cgi?method=get&channel=%d&timeout=%d", channel, timeout),
                              nullptr, loginId_, loginPassword_, row->GetHttpAuthMode(), &reply);
  if (failure == 0) return 1;
  GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", row->GetDisplayName().c_str());
  return Fail(error, failure);
}

int VasTorvaneAdapter::FileAnalysisRequest(CTBLVas* row, const std::string& uri, const std::string* body,
                                           CXmlCfg* cfg, std::string* reply) {
  CHttpEndpoint endpoint(row->GetAddress(), port_, loginId_, loginPassword_, row->GetHttpAuthMode(), useSecure_);
  bool connected = body ? endpoint.Post(uri, *body, reply, kRequestTimeoutSec)
                        : endpoint.Get(uri, reply, kRequestTimeoutSec);
  if (!connected) return kVasErrorNoConnection;
  if (reply->empty()) return kVasErrorNoHeader;
  CSimpleHttpParser parsed(*reply);
  if (parsed.statusCode != 200) return parsed.statusCode == 0 ? kVasErrorNoHeader : parsed.statusCode;
  if (!cfg->ToCfg(parsed.GetBody())) {
    GATE_LOG(1, "ERROR - [%s] Error raised when parsing response data. content = %s\r\n",
             row->GetDisplayName().c_str(), parsed.GetBody().c_str());
    return kVasErrorBadXml;
  }
  return 0;
}

int VasTorvaneAdapter::GetFileAnalysisCapabilities(IDataStore* /*store*/, CTBLVas* row,
                                                   VasFileAnalysisCapabilities* capabilities, int* error) {
  Succeed(error);
  if (!row || !capabilities) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  CXmlCfg cfg;
  std::string reply;
  int failure = FileAnalysisRequest(row, "/file/analysis_capability.cgi?method=get", nullptr, &cfg, &reply);
  if (failure == kVasErrorNoConnection || failure == kVasErrorNoHeader) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", row->GetDisplayName().c_str());
  } else if (failure != 0 && failure != kVasErrorBadXml) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request 'file/analysis_capability.cgi'. response code = %d\r\n",
             row->GetDisplayName().c_str(), failure);
  }
  if (failure != 0) return Fail(error, failure);
  capabilities->Available = IntAt(cfg, "$File$$AnalysisCapability$$Available$", 0);
  capabilities->FTPPort = IntAt(cfg, "$File$$AnalysisCapability$$FTPPort$", 21);
  capabilities->ConcurrentAnalysisCount = IntAt(cfg, "$File$$AnalysisCapability$$ConcurrentAnalysisCount$", 1);
  return 1;
}

int VasTorvaneAdapter::SetFileAnalysisStart(IDataStore* /*store*/, CTBLVas* row, std::string sourcePath,
                                            int* processId, int* error) {
  Succeed(error);
  if (!row || !processId) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  std::string body = "<File>\r\n\t<AnalysisStart>\r\n\t\t<SourcePath>" + XmlEscape(sourcePath) +
                     "</SourcePath>\r\n\t</AnalysisStart>\r\n</File>\r\n";
  CXmlCfg cfg;
  std::string reply;
  int failure = FileAnalysisRequest(row, "/file/analysis_start.cgi?method=set", &body, &cfg, &reply);
  if (failure == kVasErrorNoConnection || failure == kVasErrorNoHeader) {
    GATE_LOG(1, "ERROR - Error raised when request message to '%s' vas\r\n", row->GetDisplayName().c_str());
  } else if (failure != 0 && failure != kVasErrorBadXml) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request 'file/analysis_start.cgi'. response code = %d\r\n",
             row->GetDisplayName().c_str(), failure);
  }
  if (failure != 0) return Fail(error, failure);
  std::string value;
  if (cfg.Lookup("$File$$AnalysisStart$$PID$", &value)) {
    *processId = StringToIntDef(value.c_str(), 0);
  } else if (cfg.Lookup("$Result$$Code$", &value)) {
    // A refusal: the negated code tells the caller why nothing started.
    int code = StringToIntDef(value.c_str(), 1);
    *processId = code == INT32_MIN ? INT32_MAX : -code;
  } else {
    *processId = -1;
  }
  return 1;
}

int VasTorvaneAdapter::GetFileAnalysisStatus(IDataStore* /*store*/, CTBLVas* row, int processId,
                                             VasFileAnalysisStatus* status, int* error) {
  Succeed(error);
  if (!row || !status) return Fail(error, kVasErrorBadArgument);
  if (!Check(row->GetAddress(), port_, error)) return 0;
  CXmlCfg cfg;
  std::string reply;
  int failure = FileAnalysisRequest(row, StrFormat("/file/analysis_status.cgi?method=get&pid=%d", processId),
                                    nullptr, &cfg, &reply);
  if (failure == kVasErrorNoConnection || failure == kVasErrorNoHeader) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request message to vas\r\n", row->GetDisplayName().c_str());
  } else if (failure != 0 && failure != kVasErrorBadXml) {
    GATE_LOG(1, "ERROR - [%s] Error raised when request 'file/analysis_status.cgi'. response code = %d\r\n",
             row->GetDisplayName().c_str(), failure);
  }
  if (failure != 0) return Fail(error, failure);
  status->PID = IntAt(cfg, "$File$$AnalysisStatus$$PID$", 0);
  status->Progress = IntAt(cfg, "$File$$AnalysisStatus$$Progress$", 0);
  status->ExitCode = IntAt(cfg, "$File$$AnalysisStatus$$ExitCode$", 0);
  status->SourcePath = cfg.GetValue("$File$$AnalysisStatus$$SourcePath$");
  return 1;
}
