#include "database/DBConnectionInfo.h"

#include "database/DBConnectionManager.h"
#include "foundation/IDCreater.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

CDBConnectionInfo::CDBConnectionInfo(const char* type, const char* host, int port,
                                     const char* database, const char* user, const char* password)
    : id_(CIDCreater::GetInstance()->NextID("_DB_CONNECTION_ID")),
      adapter_(CreateDataAdapter(StrOrEmpty(type))),
      ownerThread_(CurrentThreadId()),
      type_(StrOrEmpty(type)),
      host_(StrOrEmpty(host)),
      port_(port),
      database_(StrOrEmpty(database)),
      user_(StrOrEmpty(user)),
      password_(StrOrEmpty(password)) {
  if (adapter_) adapter_->SetAdapterType("");
}

CDBConnectionInfo::~CDBConnectionInfo() { ReleaseDataAdapter(adapter_); }

bool CDBConnectionInfo::OpenConnection() {
  if (adapter_ && adapter_->Connect(host_.c_str(), port_, database_.c_str(), user_.c_str(),
                                    password_.c_str())) {
    return true;
  }
  // The reason tells a wrong password from a server that is down.
  std::string reason = adapter_ ? adapter_->GetLastErrorText().error_text : "no adapter of that type";
  GATE_LOG(1, "ERROR - Can't connect with '%s:%d' database. the error is %s\r\n", host_.c_str(), port_,
           reason.c_str());
  return false;
}
